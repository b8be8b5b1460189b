#include "quorveldll.h"

std::string QuorvelDll::GetVersion()
{
    return "42.1.21.49";
}
