#include "cli/Cli.h"

// Replaced by the cleaner engine's scan command.
int RunScanCommand(const Arguments&) { return Failure("scan is not available in this build"); }
