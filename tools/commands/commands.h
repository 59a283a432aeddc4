// The asset tool's commands. Each takes the arguments after its name and returns the exit code: 0 success, 1 the
// file failed (the reason on standard error), 2 a usage error.
#pragma once

int RunBmpCommand(int argc, char** argv);
int RunWorldCommand(int argc, char** argv);
int RunMs3dCommand(int argc, char** argv);
int RunViewCommand(int argc, char** argv);
int RunWalkCommand(int argc, char** argv);
int RunImportCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);
int RunWebCommand(int argc, char** argv);

// Prints the command's usage line, as the command table gives it, to standard error; returns 2.
int CommandUsage(const char* name);
