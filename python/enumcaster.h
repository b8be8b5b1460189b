// The library's enumerations cross into Python as enum.IntEnum classes. The
// caster accepts a member of the right class or a plain int (the library
// itself refuses undefined values) and refuses members of other enumerations.
#ifndef QUORVEL_PYTHON_ENUMCASTER_H
#define QUORVEL_PYTHON_ENUMCASTER_H

#include "quorveldll.h"

#include <pybind11/pybind11.h>
#include <climits>
#include <typeindex>

namespace quorvelpy {

namespace py = pybind11;

// The IntEnum class made for a C++ enumeration by bindEnums().
py::handle enumClass(std::type_index a_Type);

void bindEnums(py::module_& a_Module);

template <typename E>
struct IntEnumCaster
{
    PYBIND11_TYPE_CASTER(E, py::detail::const_name("IntEnum"));

    bool load(py::handle a_Source, bool a_Convert)
    {
        const py::handle cls = enumClass(typeid(E));
        const bool isMember = py::isinstance(a_Source, cls);
        if (!isMember) {
            static const py::handle enumBase = py::object(py::module_::import("enum").attr("Enum")).release();
            if (!a_Convert || !PyLong_Check(a_Source.ptr()) || PyBool_Check(a_Source.ptr())
                || py::isinstance(a_Source, enumBase))
                return false;
        }
        const long number = PyLong_AsLong(a_Source.ptr());
        if (number == -1 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
        if (number < INT_MIN || number > INT_MAX)
            return false;
        value = static_cast<E>(number);
        return true;
    }

    static py::handle cast(const E& a_Value, py::return_value_policy, py::handle)
    {
        const int number = static_cast<int>(a_Value);
        try {
            return enumClass(typeid(E))(number).release();
        } catch (const py::error_already_set&) {
            // A value outside the enumeration (never expected) stays a plain int.
            return PyLong_FromLong(number);
        }
    }
};

} // namespace quorvelpy

#define QUORVEL_PY_ENUM_CASTER(Type) \
    namespace pybind11 { namespace detail { \
    template <> struct type_caster<Type> : quorvelpy::IntEnumCaster<Type> {}; \
    } }

QUORVEL_PY_ENUM_CASTER(MBMultiplexerAddrType)
QUORVEL_PY_ENUM_CASTER(SysTokenType)
QUORVEL_PY_ENUM_CASTER(PixelMappingMode)
QUORVEL_PY_ENUM_CASTER(PacketData)
QUORVEL_PY_ENUM_CASTER(PhotonData)
QUORVEL_PY_ENUM_CASTER(Signal)
QUORVEL_PY_ENUM_CASTER(CathodeChannel::ShapedTimingSignal)
QUORVEL_PY_ENUM_CASTER(CathodeChannel::TimingMode)
QUORVEL_PY_ENUM_CASTER(CathodeChannel::InternalLeakageCurrentGenerator)
QUORVEL_PY_ENUM_CASTER(TestPulseEdge)
QUORVEL_PY_ENUM_CASTER(TestModeInput)
QUORVEL_PY_ENUM_CASTER(TimingChannelsShaperPeakingTime)
QUORVEL_PY_ENUM_CASTER(ChannelType)
QUORVEL_PY_ENUM_CASTER(ChannelThresholdType)
QUORVEL_PY_ENUM_CASTER(CathodeTimingChannelType)
QUORVEL_PY_ENUM_CASTER(TimingChannelUnipolarGain)
QUORVEL_PY_ENUM_CASTER(TimingChannelBipolarGain)
QUORVEL_PY_ENUM_CASTER(GMASICReadoutMode)
QUORVEL_PY_ENUM_CASTER(ChannelGain)
QUORVEL_PY_ENUM_CASTER(InternalLeakageCurrentGenerator)
QUORVEL_PY_ENUM_CASTER(MultipleFiringSuppressionTime)
QUORVEL_PY_ENUM_CASTER(CathodeTestClockType)
QUORVEL_PY_ENUM_CASTER(AnalogOutput)
QUORVEL_PY_ENUM_CASTER(CathodeEnergyTiming)
QUORVEL_PY_ENUM_CASTER(DACS)
QUORVEL_PY_ENUM_CASTER(ChannelUpdateType)
QUORVEL_PY_ENUM_CASTER(GMReadoutMode)
QUORVEL_PY_ENUM_CASTER(GMCathodeMode)
QUORVEL_PY_ENUM_CASTER(GMPulserFrequency)
QUORVEL_PY_ENUM_CASTER(GMUpdateType)
QUORVEL_PY_ENUM_CASTER(CameraUpdateMode)

#endif
