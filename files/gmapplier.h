// Applies parsed GM records to GammaModule objects. Every value goes through
// the model's own setter, so a value the setter refuses leaves the setting as
// it was; the load goes on without reporting it.
#ifndef QUORVEL_GMAPPLIER_H
#define QUORVEL_GMAPPLIER_H

#include <vector>

#include "files/parsedconfiguration.h"
#include "quorveldll.h"

class ASIC;
class GammaModule;

class GMApplier
{
public:
    // The GM each record goes to: the GM with the record's ID when the stored
    // IDs are exactly the GMs' IDs (each once), otherwise the GM at the
    // record's position. Both lists must have the same size.
    static std::vector<GammaModule*> PairRecords(const std::vector<ParsedGM>& a_Records,
                                                 const std::vector<GammaModule*>& a_GMs);

    // Null GMs and ASICs are skipped. The stored ID is not applied.
    static void ApplyGM(const ParsedGM& a_Record, GammaModule* a_pGM);
    static void ApplyASIC(const ParsedASIC& a_Record, ASIC* a_pASIC);

private:
    static void ApplyAnalogOutput(const ParsedAnalogOutput& a_Record, ASIC* a_pASIC);
    static void ApplyMonitorCode(const ParsedAnalogOutput& a_Record, ASIC* a_pASIC);
    static void ApplyChannelGroup(const ParsedChannelGroup& a_Record, ChannelType a_Type, ASIC* a_pASIC);
    static void ApplyAnodeData(const ParsedAnodeData& a_Record, ASIC* a_pASIC);
    static void ApplyCathodeData(const ParsedCathodeData& a_Record, ASIC* a_pASIC);
};

#endif // QUORVEL_GMAPPLIER_H
