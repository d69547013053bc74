#include "cli/Cli.h"

// Replaced by the registry actions' commands.
int RunExportCommand(const Arguments&) { return Failure("export is not available in this build"); }
int RunCleanCommand(const Arguments&) { return Failure("clean is not available in this build"); }
int RunBackupsCommand(const Arguments&) { return Failure("backups is not available in this build"); }
int RunBackupCommand(const Arguments&) { return Failure("backup is not available in this build"); }
int RunRestoreCommand(const Arguments&) { return Failure("restore is not available in this build"); }
