// The closing verdicts of the programs peer_programs.cpp runs against their Lua twins.
#pragma once

class RunSummary;

void PrintPeerProgramTargets(const RunSummary& reporter);
