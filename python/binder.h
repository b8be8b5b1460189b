// Binds an exported QuorvelDll function to Python under its own name and a
// snake_case one. Out-pointer parameters (which always follow the inputs)
// become return values, a false result of an operation raises QuorvelError
// with the library's last error, text parameters take str, and queued
// callback reports are delivered once the call has returned.
#ifndef QUORVEL_PYTHON_BINDER_H
#define QUORVEL_PYTHON_BINDER_H

#include "python/callbackqueue.h"
#include "python/enumcaster.h"

#include <pybind11/pybind11.h>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

namespace quorvelpy {

namespace py = pybind11;

void bindErrorType(py::module_& a_Module);
// Raises QuorvelError with a_Text, naming the function that failed.
[[noreturn]] void raiseError(const char* a_Function, const std::string& a_Text);
// Refuses a call from any thread but the Qt application's, where the library lives.
void checkClientThread(const char* a_Function);
// Whether any call has reached the library (so there may be a controller to close).
bool libraryUsed();
// The reference text of a function or enumeration of quorveldll.h, made from
// the header's comments at build time; empty for an unknown name.
const char* docstring(const char* a_Name);

namespace detail {

template <typename T>
constexpr bool isOut = std::is_pointer_v<T> && !std::is_const_v<std::remove_pointer_t<T>>;

// Python-side type of an input parameter: text arrives as str (None is refused).
template <typename T>
struct Input
{
    using type = T;
    static T toLibrary(T a_Value) { return a_Value; }
};
template <>
struct Input<const char*>
{
    using type = std::string;
    static const char* toLibrary(const std::string& a_Text) { return a_Text.c_str(); }
};

inline py::object outputs() { return py::none(); }
template <typename T>
py::object outputs(const T& a_Value) { return py::cast(a_Value); }
template <typename T, typename U, typename... V>
py::object outputs(const T& a_First, const U& a_Second, const V&... a_Rest)
{
    return py::make_tuple(a_First, a_Second, a_Rest...);
}

// True for results that are a success flag rather than an answer (IsXxx() queries answer).
inline bool isStatusResult(const char* a_Name, bool a_HasOutputs)
{
    return a_HasOutputs || std::strncmp(a_Name, "Is", 2) != 0;
}

template <typename R, typename... A, size_t... I, size_t... O>
py::cpp_function wrap(py::module_& a_Module, const char* a_Name, const char* const* a_ArgNames,
                      R (*a_Function)(A...), std::index_sequence<I...>, std::index_sequence<O...>)
{
    using Args = std::tuple<A...>;
    constexpr size_t inputs = sizeof...(I);
    static_assert(((!isOut<std::tuple_element_t<I, Args>>) && ...), "inputs come first");
    static_assert((isOut<std::tuple_element_t<inputs + O, Args>> && ...), "outputs come last");
    static_assert(sizeof...(O) == 0 || std::is_same_v<R, bool>, "only operations have outputs");
    const bool status = isStatusResult(a_Name, sizeof...(O) > 0);

    return py::cpp_function([a_Name, a_Function, status](typename Input<std::tuple_element_t<I, Args>>::type... a_In) {
        (void)status;
        checkClientThread(a_Name);
        std::tuple<std::remove_pointer_t<std::tuple_element_t<inputs + O, Args>>...> out{};
        py::object result;
        if constexpr (std::is_void_v<R>) {
            {
                py::gil_scoped_release unlocked;
                a_Function(Input<std::tuple_element_t<I, Args>>::toLibrary(a_In)..., &std::get<O>(out)...);
            }
            result = py::none();
        } else {
            R value;
            {
                py::gil_scoped_release unlocked;
                value = a_Function(Input<std::tuple_element_t<I, Args>>::toLibrary(a_In)..., &std::get<O>(out)...);
            }
            if constexpr (std::is_same_v<R, bool>) {
                if (status && !value) {
                    const std::string error = QuorvelDll::GetLastError();
                    CallbackQueue::GetInstance().Deliver();
                    raiseError(a_Name, error);
                }
                result = status ? outputs(std::get<O>(out)...) : py::cast(value);
            } else {
                result = py::cast(std::move(value));
            }
        }
        CallbackQueue::GetInstance().Deliver();
        return result;
    }, py::name(a_Name), py::scope(a_Module), py::doc(docstring(a_Name)), py::arg(a_ArgNames[I])...);
}

} // namespace detail

template <typename R, typename... A>
constexpr size_t noOfInputs(R (*)(A...))
{
    return sizeof...(A) - (size_t(detail::isOut<A>) + ... + 0);
}

// One function object under both names; its own name is the library's.
template <typename R, typename... A>
void defNamed(py::module_& a_Module, const char* a_Name, const char* a_PythonName, R (*a_Function)(A...),
              const char* const* a_ArgNames)
{
    constexpr size_t inputs = noOfInputs(static_cast<R (*)(A...)>(nullptr));
    const py::cpp_function function = detail::wrap(a_Module, a_Name, a_ArgNames, a_Function,
                                                   std::make_index_sequence<inputs>(),
                                                   std::make_index_sequence<sizeof...(A) - inputs>());
    a_Module.add_object(a_Name, function);
    a_Module.add_object(a_PythonName, function);
}

// A function without inputs.
template <typename R, typename... A>
void def(py::module_& a_Module, const char* a_Name, const char* a_PythonName, R (*a_Function)(A...))
{
    static_assert(noOfInputs(static_cast<R (*)(A...)>(nullptr)) == 0, "name the inputs");
    defNamed(a_Module, a_Name, a_PythonName, a_Function, nullptr);
}

// A function with inputs, named in a_ArgNames.
template <typename R, typename... A, size_t N>
void def(py::module_& a_Module, const char* a_Name, const char* a_PythonName, R (*a_Function)(A...),
         const char* const (&a_ArgNames)[N])
{
    static_assert(noOfInputs(static_cast<R (*)(A...)>(nullptr)) == N, "one name per input");
    defNamed(a_Module, a_Name, a_PythonName, a_Function, a_ArgNames);
}

} // namespace quorvelpy

#endif
