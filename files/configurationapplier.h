// Applies the parsed system configuration and packet section of a
// configuration file to the model and the packet store.
#ifndef QUORVEL_CONFIGURATIONAPPLIER_H
#define QUORVEL_CONFIGURATIONAPPLIER_H

#include "files/parsedconfiguration.h"

class CollectedPackets;
class QuorvelSysConfig;

class ConfigurationApplier
{
public:
    // Through the configuration's own setters; refused values keep the setting.
    static void ApplySysConfig(const ParsedSysConfig& a_Record, QuorvelSysConfig* a_pSysConfig);

    // Replaces the store's packets with the file's (the store's lock held).
    // Does nothing for a file without packets. False only if memory ran out;
    // the store is then left empty rather than half filled.
    static bool ApplyPackets(const ParsedPackets& a_Packets, CollectedPackets* a_pStore);
};

#endif // QUORVEL_CONFIGURATIONAPPLIER_H
