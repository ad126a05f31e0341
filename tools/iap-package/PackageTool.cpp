#include "tools/iap-package/PackageTool.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/app/EventLoop.h"
#include "platform/base/PlatformHome.h"
#include "platform/content/FileSink.h"
#include "platform/package/PackageFile.h"
#include "platform/package/PackageManager.h"
#include "platform/package/PackageSigningKey.h"
#include "platform/package/PackageTrustStore.h"

namespace fs = std::filesystem;
using namespace Vx;
using namespace Vx::App::Package;

namespace PackageTool {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

bool ReadWholeFile(const std::string& path, std::string& bytes, std::ostream& err) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        err << "iap-package: " << path << " is not a readable file\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err << "iap-package: cannot read " << path << "\n";
        return false;
    }
    return true;
}

// Splits "KEY=VALUE"; false when there is no '=' or either side is empty.
bool SplitPair(const std::string& text, std::string& key, std::string& value) {
    std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return false;
    key = text.substr(0, eq);
    value = text.substr(eq + 1);
    return true;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

struct CreateOptions {
    std::string packageId, version, output, key;
    std::vector<std::pair<std::string, std::string>> apps;   // app id, executable on disk
    std::vector<std::pair<std::string, std::string>> files;  // source on disk, path in the package
};

int ParseCreate(const std::vector<std::string>& args, CreateOptions& options, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 >= args.size()) {
            err << "iap-package create: '" << arg << "' needs a value; see iap-package --help\n";
            return kUsage;
        }
        const std::string& value = args[++i];
        std::string key, rest;
        if (arg == "--package-id") {
            options.packageId = value;
        } else if (arg == "--version") {
            options.version = value;
        } else if (arg == "-o" || arg == "--output") {
            options.output = value;
        } else if (arg == "--key") {
            options.key = value;
        } else if (arg == "--app" && SplitPair(value, key, rest)) {
            options.apps.emplace_back(key, rest);
        } else if (arg == "--file") {
            if (SplitPair(value, key, rest)) {
                options.files.emplace_back(key, rest);
            } else {
                options.files.emplace_back(value, fs::path(value).filename().string());
            }
        } else {
            err << "iap-package create: unexpected '" << arg << " " << value
                << "' (--app takes APP_ID=EXECUTABLE); see iap-package --help\n";
            return kUsage;
        }
    }
    if (options.packageId.empty() || options.version.empty() || options.apps.empty() || options.output.empty()) {
        err << "iap-package create: --package-id, --version, at least one --app and -o are required\n";
        return kUsage;
    }
    return kDone;
}

bool AddFile(PackageContents& contents, const std::string& source, const std::string& path, std::ostream& err) {
    PackageEntry entry;
    entry.path = path;
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !ReadWholeFile(source, entry.data, err)) {
        err << "iap-package create: cannot read " << source << "\n";
        return false;
    }
    entry.mode = info.st_mode & 0777;
    contents.files.push_back(std::move(entry));
    return true;
}

std::string ModeText(std::uint32_t mode) {
    std::ostringstream text;
    text << std::oct << std::setw(4) << std::setfill('0') << mode;
    return text.str();
}

// The key given with --key, or the platform home's developer key.
bool LoadSigningKey(const char* command, const std::string& path, PackageSigningKey& key, std::ostream& err) {
    std::string error;
    result r = path.empty() ? PackageSigningKey::LoadDeveloperKey(Base::GetPlatformHome(), key, &error)
                            : key.Load(path, &error);
    if (IsFailed(r)) {
        err << "iap-package " << command << ": " << error << "\n";
        return false;
    }
    return true;
}

// Written beside the target and renamed, so that a failed write leaves no half file.
bool WriteOutput(const char* command, const std::string& path, std::string_view bytes, std::ostream& err) {
    fs::path output = fs::absolute(path);
    Content::FileSink sink;
    result r = sink.Open(output.parent_path().string());
    if (!IsFailed(r)) r = sink.Write(bytes);
    if (!IsFailed(r)) r = sink.Commit(output.string(), Content::CommitMode::Replace);
    if (IsFailed(r)) {
        err << "iap-package " << command << ": cannot write " << output.string() << ": " << GetErrorMessage(r) << "\n";
        return false;
    }
    return true;
}

std::string SignerText(const PackageContents& contents) {
    if (contents.signerKey.empty()) return "none (format 1: this platform does not install it; see iap-package sign)";
    bool trusted = PackageTrustStore::IsTrusted(Base::GetPlatformHome(), contents.signerKey);
    return PackageSigningKey::Fingerprint(contents.signerKey) +
           (trusted ? " (trusted here)" : " (NOT trusted here; see iap-package trust)");
}

bool LoadPackage(const std::string& path, std::string& bytes, PackageContents& contents, std::string& error,
                 std::ostream& err) {
    if (!ReadWholeFile(path, bytes, err)) return false;
    if (IsFailed(PackageFile::Parse(bytes, contents, &error))) return false;
    return true;
}

}  // namespace

void PrintUsage(std::ostream& out) {
    out << "Usage: iap-package COMMAND [OPTIONS]\n"
           "Makes, signs, checks and installs package files of the in-app purchase platform.\n\n"
           "Commands:\n"
           "  create --package-id ID --version V --app APP_ID=EXECUTABLE [--app ...]\n"
           "         [--file PATH[=PATH_IN_PACKAGE] ...] [--key KEY] -o FILE\n"
           "      Writes a signed package. Each executable is stored as bin/<its file name>\n"
           "      with its permission bits; --file adds any other file. An application id\n"
           "      is ID or ID.NAME: a package provides only its own applications.\n"
           "  sign FILE [--key KEY] [-o OUT]\n"
           "      Signs a package (again), in place unless -o is given.\n"
           "  keygen -o KEY  Makes a signing key: KEY (private, owner-only) and KEY.pub.\n"
           "  trust KEY.pub  Lets this device install packages signed with that key.\n"
           "  inspect FILE   Shows the id, version, signer, applications and files of a package.\n"
           "  verify FILE    Checks the digest, structure and signature; exit 0 when intact.\n"
           "  install FILE [--package-id ID]\n"
           "      Installs into $IAP_PLATFORM_HOME (now "
        << Base::GetPlatformHome()
        << ")\n"
           "      under ID (default: the id the package names), showing progress.\n\n"
           "Without --key, packages are signed with this platform home's developer key\n"
           "(keys/developer.key, made on first use and trusted by this home only).\n"
           "Exit status: 0 done, 1 failed (invalid package, failed installation), 2 wrong usage.\n"
           "The format and the trust model are described in docs/packages.md.\n";
}

int Create(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    CreateOptions options;
    if (int code = ParseCreate(args, options, err); code != kDone) return code;

    PackageContents contents;
    contents.packageId = options.packageId;
    contents.version = options.version;
    std::set<std::string> stored;
    for (const auto& [appId, executable] : options.apps) {
        std::string path = "bin/" + fs::path(executable).filename().string();
        if (stored.insert(path).second && !AddFile(contents, executable, path, err)) return kFailed;
        contents.applications.push_back({appId, path});
    }
    for (const auto& [source, path] : options.files) {
        if (!stored.insert(path).second) {
            err << "iap-package create: two files would be stored as " << path << "\n";
            return kUsage;
        }
        if (!AddFile(contents, source, path, err)) return kFailed;
    }
    std::string bytes, error;
    if (IsFailed(PackageFile::Validate(contents, &error))) {
        err << "iap-package create: " << error << "\n";
        return kFailed;
    }
    PackageSigningKey key;
    if (!LoadSigningKey("create", options.key, key, err)) return kFailed;
    if (IsFailed(PackageFile::Serialize(contents, key, bytes, &error))) {
        err << "iap-package create: " << error << "\n";
        return kFailed;
    }
    if (!WriteOutput("create", options.output, bytes, err)) return kFailed;
    out << "wrote " << fs::absolute(options.output).string() << " (" << contents.packageId << " " << contents.version
        << ", " << contents.files.size() << " files, " << bytes.size() << " bytes, signed by "
        << PackageSigningKey::Fingerprint(key.GetPublicKey()) << ")\n";
    return kDone;
}

int Sign(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    std::string file, keyPath, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size()) {
            keyPath = args[++i];
        } else if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) {
            output = args[++i];
        } else if (file.empty() && args[i].rfind("-", 0) != 0) {
            file = args[i];
        } else {
            err << "iap-package sign: unexpected '" << args[i] << "'; see iap-package --help\n";
            return kUsage;
        }
    }
    if (file.empty()) {
        err << "iap-package sign: give the package FILE; see iap-package --help\n";
        return kUsage;
    }
    std::string bytes, signedBytes, error;
    if (!ReadWholeFile(file, bytes, err)) return kFailed;
    PackageSigningKey key;
    if (!LoadSigningKey("sign", keyPath, key, err)) return kFailed;
    if (IsFailed(PackageFile::Sign(bytes, key, signedBytes, &error))) {
        err << "iap-package sign: " << file << ": invalid package: " << error << "\n";
        return kFailed;
    }
    if (output.empty()) output = file;
    if (!WriteOutput("sign", output, signedBytes, err)) return kFailed;
    out << "signed " << fs::absolute(output).string() << " with key "
        << PackageSigningKey::Fingerprint(key.GetPublicKey()) << "\n";
    return kDone;
}

int KeyGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    if (args.size() != 2 || (args[0] != "-o" && args[0] != "--output")) {
        err << "iap-package keygen: give -o KEY; see iap-package --help\n";
        return kUsage;
    }
    PackageSigningKey key;
    std::string error;
    if (IsFailed(key.Generate())) {
        err << "iap-package keygen: cannot make a key: no random source\n";
        return kFailed;
    }
    // An existing key is never overwritten: packages signed with it would be orphaned.
    if (IsFailed(key.Save(args[1], false, &error)) ||
        IsFailed(PackageSigningKey::WritePublicKey(args[1] + ".pub", key.GetPublicKey(), 0644, &error))) {
        err << "iap-package keygen: " << error << "\n";
        return kFailed;
    }
    out << "wrote " << args[1] << " and " << args[1] << ".pub (key "
        << PackageSigningKey::Fingerprint(key.GetPublicKey()) << ")\n";
    return kDone;
}

int Trust(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    if (args.size() != 1) {
        err << "iap-package trust: give exactly one public key file; see iap-package --help\n";
        return kUsage;
    }
    std::string publicKey, error;
    std::string home = Base::GetPlatformHome();
    if (IsFailed(PackageSigningKey::ReadPublicKey(args[0], publicKey, &error)) ||
        IsFailed(PackageTrustStore::Trust(home, publicKey, &error))) {
        err << "iap-package trust: " << error << "\n";
        return kFailed;
    }
    out << "packages signed with key " << PackageSigningKey::Fingerprint(publicKey) << " now install in " << home
        << "\n";
    return kDone;
}

// The shared start of inspect and verify: -1 when the package was loaded,
// otherwise the exit code (help shown, wrong usage, unreadable or invalid).
static int LoadOne(const char* command, const std::vector<std::string>& args, std::string& bytes,
                   PackageContents& contents, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    if (args.size() != 1) {
        err << "iap-package " << command << ": give exactly one FILE; see iap-package --help\n";
        return kUsage;
    }
    std::string error;
    if (!LoadPackage(args[0], bytes, contents, error, err)) {
        if (!error.empty()) out << args[0] << ": INVALID: " << error << "\n";
        return kFailed;
    }
    return -1;
}

int Inspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string bytes;
    PackageContents contents;
    if (int code = LoadOne("inspect", args, bytes, contents, out, err); code >= 0) return code;
    out << "package:  " << contents.packageId << "\n"
        << "version:  " << contents.version << "\n"
        << "format:   "
        << (contents.signerKey.empty() ? PackageFile::kUnsignedFormatVersion : PackageFile::kFormatVersion) << "\n"
        << "sha256:   " << PackageFile::DigestHex(bytes) << "\n"
        << "signer:   " << SignerText(contents) << "\n"
        << "applications:\n";
    for (const auto& app : contents.applications)
        out << "  " << app.appId << " -> " << app.executable << "\n";
    out << "files:\n";
    for (const auto& file : contents.files) {
        out << "  " << ModeText(file.mode) << " " << std::setw(10) << file.data.size() << "  " << file.path << "\n";
    }
    return kDone;
}

int Verify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string bytes;
    PackageContents contents;
    if (int code = LoadOne("verify", args, bytes, contents, out, err); code >= 0) return code;
    if (contents.signerKey.empty()) {
        out << args[0] << ": INVALID: not signed (format 1); sign it with iap-package sign\n";
        return kFailed;
    }
    out << args[0] << ": OK (" << contents.packageId << " " << contents.version << ", " << contents.files.size()
        << " files); signer " << SignerText(contents) << "\n";
    return kDone;
}

namespace {

class InstallObserver : public IPackageInstallationResponseListener {
public:
    explicit InstallObserver(std::ostream& err) : err_(err) {}
    void OnPackageInstallationResponseReceived(const PackageId&, PackageInstallationResult r) override {
        outcome = r;
        done = true;
    }
    void OnPackageInstallationInProgressResponseReceived(const PackageId&, int progress) override {
        err_ << "installing: " << progress << "%\n";
    }
    bool done = false;
    PackageInstallationResult outcome = PACKAGE_INSTALLATION_RESULT_FAILURE;

private:
    std::ostream& err_;
};

const char* OutcomeText(PackageInstallationResult r) {
    switch (r) {
    case PACKAGE_INSTALLATION_RESULT_SUCCESS:
        return "installed";
    case PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE:
        return "invalid package (damaged, unsigned, signed by a key this device does not trust, or not this "
               "package's; the reason is given above)";
    case PACKAGE_INSTALLATION_RESULT_STORAGE_FULL:
        return "storage full: free some space and try again";
    default:
        return "installation failed";
    }
}

}  // namespace

int Install(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        PrintUsage(out);
        return kDone;
    }
    std::string file, packageId;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--package-id" && i + 1 < args.size()) {
            packageId = args[++i];
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            err << "iap-package install: unexpected '" << args[i] << "'; see iap-package --help\n";
            return kUsage;
        }
    }
    if (file.empty()) {
        err << "iap-package install: give the package FILE; see iap-package --help\n";
        return kUsage;
    }
    if (packageId.empty()) {
        std::string bytes, error;
        PackageContents contents;
        if (!LoadPackage(file, bytes, contents, error, err)) {
            if (!error.empty()) err << "iap-package install: " << file << ": invalid package: " << error << "\n";
            return kFailed;
        }
        packageId = contents.packageId;
    }

    App::EventLoop::EnsureApplication();
    PackageManager* manager = PackageManager::GetInstance();
    if (!manager) {
        err << "iap-package install: the package manager is not available\n";
        return kFailed;
    }
    InstallObserver observer(err);
    result r = manager->InstallPackage(Base::String::FromUtf8(packageId),
                                       Base::String::FromUtf8(fs::absolute(file).string()), &observer);
    if (IsFailed(r)) {
        err << "iap-package install: cannot start: " << GetErrorMessage(r) << " (" << GetResultName(r) << ")\n";
        return kFailed;
    }
    App::EventLoop::RunUntil([&] { return observer.done; }, 10 * 60 * 1000);
    if (!observer.done) {
        err << "iap-package install: no answer from the package manager\n";
        return kFailed;
    }
    if (observer.outcome != PACKAGE_INSTALLATION_RESULT_SUCCESS) {
        err << "iap-package install: " << packageId << ": " << OutcomeText(observer.outcome) << "\n";
        return kFailed;
    }
    Base::String version;
    manager->GetPackageVersion(Base::String::FromUtf8(packageId), version);
    out << packageId << " " << version.ToUtf8() << " installed in " << Base::GetPlatformHome() << "/packages/"
        << packageId << "\n";
    return kDone;
}

}  // namespace PackageTool
