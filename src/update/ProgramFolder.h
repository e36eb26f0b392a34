#pragma once
// Where the utility is installed. A copy placed in a folder serves that folder, as under Windows;
// a copy installed as a system program (in the install's bin folder, from the package) serves
// Tallyrune's own folder instead, so that it never takes the bin folder for a program folder.
#include <string>

// The program folder for an executable in exeFolder; every folder ends with the path delimiter.
// systemBinFolder may be empty: no system install, every copy serves its own folder.
std::string ProgramFolderOf(const std::string& exeFolder, const std::string& systemBinFolder,
                            const std::string& systemProgramFolder);
// The program folder a utility in exeFolder (ending with the delimiter) serves, in this build.
std::string ProgramFolderServedFrom(const std::string& exeFolder);
// The running utility's program folder, ending with the path delimiter.
std::string ProgramFolder();
