// The asset tool's subcommands. Each takes the arguments after its name and returns the exit code:
// 0 success, 1 the file failed (reason on standard error), 2 usage error.
#pragma once

int RunBmpCommand(int argc, char** argv);
int RunWorldCommand(int argc, char** argv);
int RunMs3dCommand(int argc, char** argv);
int RunViewCommand(int argc, char** argv);
int RunWalkCommand(int argc, char** argv);
int RunImportCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);
// A data folder turned into the game's page (tools/web/web_command.cpp), and its line of the usage text.
int RunWebCommand(int argc, char** argv);
extern const char kWebUsage[];
