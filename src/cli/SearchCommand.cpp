#include "cli/Cli.h"

// Replaced by the search engine's command.
int RunSearchCommand(const Arguments&) { return Failure("search is not available in this build"); }
