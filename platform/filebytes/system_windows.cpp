// filebytes::update on Windows: a named mutex per file for the lock between
// this program's saves, the volume and file index for the file's identity,
// ReplaceFileW for the replacement (it keeps the file's attributes, ACL and
// streams), and writes through to the disk.

#include "platform/filebytes.h"

#include "platform/failure.h"
#include "platform/filebytes/failures.h"
#include "platform/filebytes/safetycopy.h"
#include "platform/filebytes/settling.h"
#include "platform/systemerror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>

namespace filebytes {
namespace {

QString reason(DWORD error)
{
    return platform::systemErrorText(int(error));
}

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A handle that closes itself.
class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : m_handle(handle)
    {
    }
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle &operator=(Handle &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = other.m_handle;
            other.m_handle = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void reset()
    {
        if (valid())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// The lock every update of this program takes on a file, by its full path:
// a mutex of the user's session.
class PathLock
{
public:
    PathLock(const QString &path, const QString &target)
    {
        const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(target).toLower().toUtf8(),
                                                        QCryptographicHash::Sha1)
                                   .toHex();
        const std::wstring name = L"Local\\commonserver-editor-" + QString::fromLatin1(key).toStdWString();
        m_mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        if (!m_mutex)
            failures::cannotWrite(path, reason(GetLastError()));
        const DWORD waited = WaitForSingleObject(
            m_mutex, DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(settling::kLockWait).count()));
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) { // abandoned: its holder ended
            CloseHandle(m_mutex);
            failures::locked(path);
        }
    }
    ~PathLock()
    {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    PathLock(const PathLock &) = delete;
    PathLock &operator=(const PathLock &) = delete;

private:
    HANDLE m_mutex = nullptr;
};

struct Snapshot
{
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER changed{}; // FILE_BASIC_INFO's ChangeTime
};

bool sameTime(const FILETIME &a, const FILETIME &b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool sameFileUnchanged(const Snapshot &a, const Snapshot &b)
{
    return a.info.dwVolumeSerialNumber == b.info.dwVolumeSerialNumber && a.info.nFileIndexHigh == b.info.nFileIndexHigh
           && a.info.nFileIndexLow == b.info.nFileIndexLow && a.info.nFileSizeHigh == b.info.nFileSizeHigh
           && a.info.nFileSizeLow == b.info.nFileSizeLow && sameTime(a.info.ftLastWriteTime, b.info.ftLastWriteTime)
           && a.changed.QuadPart == b.changed.QuadPart;
}

std::optional<Snapshot> snapshotOf(HANDLE handle)
{
    Snapshot snapshot;
    if (!GetFileInformationByHandle(handle, &snapshot.info))
        return std::nullopt;
    FILE_BASIC_INFO basic;
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        snapshot.changed = basic.ChangeTime;
    return snapshot;
}

// What the path names now, without opening it for reading or writing.
std::optional<Snapshot> snapshotAt(const std::wstring &target)
{
    Handle handle(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid())
        return std::nullopt;
    return snapshotOf(handle.get());
}

settling::Moment lastChange(const Snapshot &snapshot)
{
    // File times count 100 ns steps since 1601.
    constexpr qint64 kFrom1601To1970 = 116444736000000000LL;
    ULARGE_INTEGER written;
    written.LowPart = snapshot.info.ftLastWriteTime.dwLowDateTime;
    written.HighPart = snapshot.info.ftLastWriteTime.dwHighDateTime;
    const qint64 latest = std::max<qint64>(qint64(written.QuadPart), snapshot.changed.QuadPart);
    return settling::Moment{(latest - kFrom1601To1970) * 100};
}

// Whether another program holds the file open for writing right now: a
// handle that lets no one else write cannot be had then.
bool openForWritingElsewhere(const std::wstring &target)
{
    Handle probe(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Gives a file that another program may still be writing time to settle: it
// must not be open for writing elsewhere, and must have stayed unchanged for
// a quiet period. Throws when it keeps changing.
void waitUntilSettled(const QString &path, const std::wstring &target, HANDLE handle, settling::Deadline &deadline)
{
    for (;;) {
        const std::optional<Snapshot> seen = snapshotOf(handle);
        if (!seen)
            failures::cannotWrite(path, reason(GetLastError()));
        const qint64 age = settling::ageOf(lastChange(*seen));
        const bool beingWritten = openForWritingElsewhere(target);
        const settling::Nanoseconds quiet = settling::kQuietWhenClosed; // the probe always answers
        if (!beingWritten && age >= quiet.count())
            return;
        if (deadline.passed())
            failures::keepsChanging(path);
        if (beingWritten) {
            settling::pause(settling::kPoll);
            continue;
        }
        settling::pause(age >= 0 ? settling::Nanoseconds(quiet.count() - age) : quiet);
        const std::optional<Snapshot> now = snapshotOf(handle);
        if (age < 0 && now && sameFileUnchanged(*seen, *now))
            return;
    }
}

std::optional<QByteArray> readAll(HANDLE handle, DWORD *error)
{
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) {
        *error = GetLastError();
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            *error = GetLastError();
            return std::nullopt;
        }
        if (got == 0)
            return bytes;
        bytes.append(buffer, qsizetype(got));
    }
}

// 0, or the error of the first write that failed.
DWORD writeAll(HANDLE handle, const QByteArray &bytes)
{
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN))
        return GetLastError();
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size() - done, 1 << 20));
        if (!WriteFile(handle, bytes.constData() + done, chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

// A new file beside the target with the bytes, written through and flushed.
// Empty when the folder does not let the user make one.
std::wstring writeTemporary(const QString &path, const QString &target, const QByteArray &bytes)
{
    const QString folder = QFileInfo(target).absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary =
            wide(QDir(folder).filePath(QStringLiteral("~cse%1.tmp").arg(GetCurrentProcessId() * 131 + attempt, 0, 36)));
        Handle out(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!out.valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            if (error == ERROR_ACCESS_DENIED)
                return std::wstring(); // a folder the user cannot write to
            failures::cannotWrite(path, reason(error));
        }
        DWORD error = writeAll(out.get(), bytes);
        if (error == 0 && !FlushFileBuffers(out.get()))
            error = GetLastError();
        out.reset();
        if (error != 0) {
            DeleteFileW(temporary.c_str());
            failures::cannotWrite(path, reason(error));
        }
        return temporary;
    }
    failures::cannotWrite(path, reason(ERROR_FILE_EXISTS));
}

// The rewrite in place, for files the replacement cannot keep the same.
void rewriteInPlace(const QString &path, const std::wstring &target, const QByteArray &old, const QByteArray &bytes)
{
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file.valid())
        failures::cannotWrite(path, reason(GetLastError()));
    const HANDLE handle = file.get();
    const QString copy = safetycopy::keep(path, old);
    const auto writeAndCut = [handle](const QByteArray &content) -> DWORD {
        DWORD error = writeAll(handle, content);
        if (error == 0 && !SetEndOfFile(handle))
            error = GetLastError();
        if (error == 0 && !FlushFileBuffers(handle))
            error = GetLastError();
        return error;
    };
    const DWORD error = writeAndCut(bytes);
    if (error == 0) {
        safetycopy::discard(copy);
        return;
    }
    const bool restored = writeAndCut(old) == 0;
    if (restored)
        safetycopy::discard(copy);
    failures::inPlaceFailed(path, reason(error), restored, copy);
}

// The attributes a new file would not have, which the file keeps.
DWORD attributesToKeep(DWORD attributes)
{
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                         | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

QString resolveTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

} // namespace

Outcome update(const QString &path, const Change &change, const UpdateOptions &options)
{
    if (path.isEmpty())
        failures::noPath();
    const QString target = resolveTarget(path);
    if (QFileInfo(target).fileName().size() > 255)
        failures::cannotWrite(path, reason(ERROR_FILENAME_EXCED_RANGE));
    const std::wstring wideTarget = wide(target);
    PathLock lock(path, target);
    settling::Deadline settleDeadline(settling::kSettleBudget);
    for (int attempt = 0; attempt < settling::kAttempts; ++attempt) {
        Outcome outcome;
        Handle file;
        std::optional<Snapshot> before;
        const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            const QFileInfo folder(QFileInfo(target).absolutePath());
            if (folder.exists() && !folder.isDir())
                failures::cannotWrite(path, QStringLiteral("uma parte do caminho não é uma pasta"));
            if (error == ERROR_PATH_NOT_FOUND)
                failures::folderMissing(path);
            if (error != ERROR_FILE_NOT_FOUND)
                failures::cannotWrite(path, reason(error));
            if (options.mustExist)
                failures::vanished(path);
            if (!QFileInfo(target).absoluteDir().exists())
                failures::folderMissing(path);
        } else {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                failures::notRegular(path, true);
            if (attributes & FILE_ATTRIBUTE_READONLY)
                failures::readOnly(path);
            // Another program that keeps others from writing the file (it
            // holds it open, sharing it for reading only) stops the save now.
            Handle writable(CreateFileW(wideTarget.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!writable.valid())
                failures::cannotWrite(path, reason(GetLastError()));
            writable.reset();
            // Read-only from here: a handle of ours open for writing would hide
            // other writers from the probe. Writing in place opens another one.
            file = Handle(CreateFileW(wideTarget.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file.valid())
                failures::cannotWrite(path, reason(GetLastError()));
            if (GetFileType(file.get()) != FILE_TYPE_DISK)
                failures::notRegular(path, false);
            waitUntilSettled(path, wideTarget, file.get(), settleDeadline);
            before = snapshotOf(file.get());
            DWORD error = 0;
            outcome.before = before ? readAll(file.get(), &error) : std::nullopt;
            if (!outcome.before)
                failures::cannotRead(path, reason(before ? error : GetLastError()));
            const std::optional<Snapshot> afterRead = snapshotOf(file.get());
            if (!afterRead || !sameFileUnchanged(*before, *afterRead))
                continue; // changed while it was read: let it settle and read again
        }

        const std::optional<QByteArray> next = change(outcome.before);
        if (!next)
            return outcome;
        if (options.beforeReplace)
            options.beforeReplace(outcome.before, *next);
        outcome.written = true;
        outcome.after = *next;

        if (!file.valid()) { // a new file, unless another one appeared meanwhile
            const std::wstring temporary = writeTemporary(path, target, *next);
            if (temporary.empty())
                failures::cannotCreate(path, reason(ERROR_ACCESS_DENIED));
            if (MoveFileExW(temporary.c_str(), wideTarget.c_str(), MOVEFILE_WRITE_THROUGH))
                return outcome;
            const DWORD error = GetLastError();
            DeleteFileW(temporary.c_str());
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            failures::cannotCreate(path, reason(error));
        }
        // A replacement would split the names of a file with hard links; a
        // folder the user cannot write to takes no new file.
        const std::wstring temporary =
            before->info.nNumberOfLinks > 1 ? std::wstring() : writeTemporary(path, target, *next);
        // The very last look: a change since the read means reading again.
        const std::optional<Snapshot> now = snapshotAt(wideTarget);
        if (!now || !sameFileUnchanged(*now, *before)) {
            if (!temporary.empty())
                DeleteFileW(temporary.c_str());
            continue;
        }
        if (temporary.empty()) {
            file.reset();
            rewriteInPlace(path, wideTarget, *outcome.before, *next);
            return outcome;
        }
        file.reset(); // the replacement moves the file, which no handle of ours may hold
        if (!ReplaceFileW(wideTarget.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr)) {
            const DWORD error = GetLastError();
            DeleteFileW(temporary.c_str());
            // Another program opened the file meanwhile: it may be writing it.
            if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) && !settleDeadline.passed()) {
                settling::pause(settling::kPoll);
                continue;
            }
            failures::cannotWrite(path, reason(error));
        }
        // The system keeps them; a stand-in for it (Wine) may not.
        const DWORD kept = attributesToKeep(attributes);
        if (kept && (GetFileAttributesW(wideTarget.c_str()) & kept) != kept)
            SetFileAttributesW(wideTarget.c_str(), GetFileAttributesW(wideTarget.c_str()) | kept);
        return outcome;
    }
    failures::keepsChanging(path);
}

} // namespace filebytes
