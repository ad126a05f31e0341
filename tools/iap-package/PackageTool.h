#pragma once
// The commands of iap-package; each returns the process exit code
// (0 done, 1 failed, 2 wrong usage) and writes its messages to out and err.
#include <ostream>
#include <string>
#include <vector>

namespace PackageTool {

int Create(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Inspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Verify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Sign(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int KeyGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Trust(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Install(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

void PrintUsage(std::ostream& out);

}  // namespace PackageTool
