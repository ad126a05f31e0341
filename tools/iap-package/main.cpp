// iap-package: makes, signs, checks and installs package files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/iap-package/PackageTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PackageTool::PrintUsage(std::cerr);
        return 2;
    }
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        PackageTool::PrintUsage(std::cout);
        return 0;
    }
    if (command == "create") return PackageTool::Create(args, std::cout, std::cerr);
    if (command == "inspect") return PackageTool::Inspect(args, std::cout, std::cerr);
    if (command == "verify") return PackageTool::Verify(args, std::cout, std::cerr);
    if (command == "sign") return PackageTool::Sign(args, std::cout, std::cerr);
    if (command == "keygen") return PackageTool::KeyGen(args, std::cout, std::cerr);
    if (command == "trust") return PackageTool::Trust(args, std::cout, std::cerr);
    if (command == "install") return PackageTool::Install(args, std::cout, std::cerr);
    std::cerr << "iap-package: unknown command '" << command << "'; see iap-package --help\n";
    return 2;
}
