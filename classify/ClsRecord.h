#pragma once
// The facts and the code of one online program while it is being classified.

#include <cstdint>
#include <string>

namespace mdlReports {

// Who calls or transfers to the program is kept in the relationship graph,
// not in the record, so the record holds only what the rule sets read.
struct clsRecord {
    bool m_AccessScreen = false;              // talks to a screen
    bool m_Xctls = false;                     // transfers control to a program
    bool m_Xctled = false;                    // a program transfers control to it
    bool m_CallsData = false;                 // accesses a data store itself
    bool m_CallsDataIndirectly = false;       // a program it calls, at any depth, accesses data
    bool m_Called = false;                    // an online program calls it
    bool m_CalledXctledByCForTRAN = false;    // an examined caller has a client type
    bool m_CalledXctledByFRONTorSRVR = false; // an examined caller is neither client nor Batch
    bool m_OnTop = true;                      // no caller outside the client types and Batch
    std::string m_ProgramId;
    int16_t m_SOAType = 0;
    bool m_HasCFdownstream = false;           // a program it calls, at any depth, has a client type
};

}  // namespace mdlReports
