// Enumerations of the gamma module model.
#ifndef QUORVEL_GMTYPES_H
#define QUORVEL_GMTYPES_H

// Which list of GammaModules a call addresses.
enum GammaModulesType : int {
    GAMMA_MODULES_TYPE_DEVICE = 1,
    GAMMA_MODULES_TYPE_LOADED = 2
};

// The GM registers 18 to 24, in register order.
enum GMRegisterType : int {
    GM_REGISTER_TYPE_CONTROL = 0,
    GM_REGISTER_TYPE_STATUS = 1,
    GM_REGISTER_TYPE_ID = 2,
    GM_REGISTER_TYPE_ASIC_MODE = 3,
    GM_REGISTER_TYPE_PULSER_MODE = 4,
    GM_REGISTER_TYPE_DELAY_TIME = 5,
    GM_REGISTER_TYPE_TIMESTAMP_RESOLUTION = 6
};

// The controller's GM lists: device GMs or GMs loaded from a file.
// Distinct from GammaModulesType; never cast one into the other.
enum GMContainerType : int {
    GM_CONTAINER_TYPE_DEVICE = 0,
    GM_CONTAINER_TYPE_LOADED = 1
};

#endif // QUORVEL_GMTYPES_H
