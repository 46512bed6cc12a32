#include "package/WorkspaceFiller.h"

#include "package/PackagePaths.h"
#include "platform/FileSystem.h"
#include "platform/StartupLog.h"
#include "platform/Text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace package {

namespace {

// Each piece of a file read from the package and written out.
constexpr size_t kPieceSize = 1 << 20;
// Past this many files, what was not written is only counted.
constexpr size_t kReportedFailures = 5;

std::string ErrorText(int error) { return std::strerror(error); }

} // namespace

WorkspaceFiller::WorkspaceFiller(std::string package, std::string target)
    : packagePath(std::move(package)), folder(std::move(target)) {}

void WorkspaceFiller::Report(const std::string& path, const std::string& reason) {
    if (++failures <= kReportedFailures) {
        std::fprintf(stderr, "kest: %s not written to the temporary folder (%s); it is read from the magazine\n",
                     platform::PrintableText(path, platform::kLoggedTextBytes).c_str(), reason.c_str());
    }
}

void WorkspaceFiller::MakeFolders(const PackageIndex& index) {
    for (const std::string& path : index.Folders()) {
        if (PackageReader::MakeFolderPath(JoinPath(folder, path)) != PkgOk) {
            Report(path + "/", ErrorText(errno));
        }
    }
}

size_t WorkspaceFiller::Fill(const std::vector<PackageIndex::File>& files) {
    platform::FileStream package;
    const std::string unreadable = package.Open(packagePath.c_str(), "rb") ? "" : ErrorText(errno);
    for (const PackageIndex::File& file : files) {
        if (stopping) {
            break;
        }
        const std::string reason = unreadable.empty() ? Write(package, file) : unreadable;
        if (!reason.empty() && !stopping) {
            Report(file.path, reason);
            bytesNotWritten += file.size;
        }
    }
    if (failures > 0) {
        std::fprintf(stderr,
                     "kest: %zu of the magazine's files (%llu bytes) are not in the temporary folder; "
                     "they are read from the magazine itself\n",
                     failures, static_cast<unsigned long long>(bytesNotWritten));
    } else if (!stopping) {
        platform::LogStartup("temporary folder filled");
    }
    return failures;
}

std::string WorkspaceFiller::Write(platform::FileStream& package, const PackageIndex::File& file) {
    const size_t slash = file.path.rfind('/');
    const std::string name = file.path.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string parent = slash == std::string::npos ? folder : JoinPath(folder, file.path.substr(0, slash));
    platform::Folder target;
    if (!target.Open(parent.c_str())) {
        return ErrorText(errno);
    }
    // A file system without unnamed files gets a hidden name until the file
    // is whole.
    platform::FileStream out;
    std::string hidden;
    if (!out.CreateUnnamedIn(target)) {
        hidden = ".kest-XXXXXX";
        if (!out.CreateNamedIn(target, hidden)) {
            return ErrorText(errno);
        }
    }
    const auto fail = [&](int error) {
        out.Close();
        if (!hidden.empty()) {
            (void)target.Remove(hidden.c_str());
        }
        return ErrorText(error);
    };
    if (!package.Seek(static_cast<int64_t>(file.offset), SEEK_SET)) {
        return fail(errno);
    }
    const std::unique_ptr<char[]> piece(new char[kPieceSize]);
    for (uint64_t left = file.size; left > 0;) {
        if (stopping) {
            return fail(ECANCELED);
        }
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kPieceSize));
        const size_t read = package.Read(piece.get(), want);
        if (read == 0) {
            return fail(EIO); // the magazine's file was cut meanwhile
        }
        if (out.Write(piece.get(), read) != read) {
            return fail(errno);
        }
        left -= read;
    }
    // A movie's copy of the same name, made meanwhile, is newer: it stays.
    if (hidden.empty()) {
        if (!out.LinkAs(target, name.c_str()) && errno != EEXIST) {
            return fail(errno);
        }
        out.Close();
        return {};
    }
    if (!out.Close()) {
        return fail(errno);
    }
    const int linked = target.Link(hidden.c_str(), name.c_str());
    (void)target.Remove(hidden.c_str());
    return linked == 0 || linked == EEXIST ? std::string() : ErrorText(linked);
}

void WorkspaceFiller::Start(std::vector<PackageIndex::File> files) {
    worker = std::thread([this, files = std::move(files)] { (void)Fill(files); });
}

void WorkspaceFiller::Stop() {
    stopping = true;
    if (worker.joinable()) {
        worker.join();
    }
}

} // namespace package
