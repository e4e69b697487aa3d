// The string concatenation benchmark's closing figures, printed by the program's main.
#pragma once

class RunSummary;

void PrintConcatenationSummary(const RunSummary& reporter);
