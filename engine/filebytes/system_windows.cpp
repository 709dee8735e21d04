// The file layer's system part on Windows: a named mutex per file for the
// lock, the volume and file index for the file's identity, MoveFileExW for
// the replacement in one step (the new file first takes the old one's
// attributes, ACL and owner; a file with what a new one cannot take is
// rewritten in place), writes through to the disk, copies with an ACL of the
// user alone until they take the file's, and the Restart Manager to tell who
// holds a file.

#include "engine/filebytes/system.h"

#include "engine/filebytes/failures.h"
#include "engine/filebytes/seams.h"
#include "engine/systemerror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <aclapi.h>
#include <restartmanager.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace engine::filebytes::system {
namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

std::wstring wideAt(const Folder &folder, const QString &name)
{
    return wide(folder.nativePath(name));
}

// File times count 100 ns steps since 1601.
qint64 nanoseconds(qint64 fileTime)
{
    constexpr qint64 kFrom1601To1970 = 116444736000000000LL;
    return (fileTime - kFrom1601To1970) * 100;
}

qint64 fileTime(const FILETIME &time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return qint64(value.QuadPart);
}

std::optional<Snapshot> snapshotOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    Snapshot snapshot;
    snapshot.device = info.dwVolumeSerialNumber;
    snapshot.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    snapshot.size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    snapshot.modified = nanoseconds(fileTime(info.ftLastWriteTime));
    FILE_BASIC_INFO basic;
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        snapshot.changed = nanoseconds(basic.ChangeTime.QuadPart);
    snapshot.links = info.nNumberOfLinks;
    snapshot.folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    snapshot.regular = !snapshot.folder && GetFileType(handle) == FILE_TYPE_DISK;
    snapshot.readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    return snapshot;
}

// The security identifier of this process's user, as text ("S-1-5-21-...").
QString readUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return QString();
    std::vector<char> buffer(256);
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, buffer.data(), DWORD(buffer.size()), &size)) {
        buffer.resize(size);
        if (!GetTokenInformation(token, TokenUser, buffer.data(), DWORD(buffer.size()), &size)) {
            CloseHandle(token);
            return QString();
        }
    }
    CloseHandle(token);
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &text))
        return QString();
    const QString sid = QString::fromWCharArray(text);
    LocalFree(text);
    return sid;
}

const QString &userSid()
{
    static const QString sid = readUserSid();
    return sid;
}

// The owner of an open file, as text; empty when it cannot be read.
QString ownerOfHandle(HANDLE handle)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    QString sid;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor)
        == ERROR_SUCCESS) {
        LPWSTR text = nullptr;
        if (owner && ConvertSidToStringSidW(owner, &text)) {
            sid = QString::fromWCharArray(text);
            LocalFree(text);
        }
        LocalFree(descriptor);
    }
    return sid;
}

// The owner of a file or folder, as text; `ofLink`: of a link itself.
QString ownerOf(const std::wstring &path, bool ofLink)
{
    HANDLE handle = CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | (ofLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return QString();
    const QString sid = ownerOfHandle(handle);
    CloseHandle(handle);
    return sid;
}

// Administrators and the system account own what the system put there.
bool isSystemOwner(const QString &sid)
{
    return sid == QLatin1String("S-1-5-18") || sid == QLatin1String("S-1-5-32-544");
}

// Links and junctions on the way to a path: one of another account must
// lead to what that account owns.
void checkReparsePoints(const QString &absolute, const QString &path)
{
    const QString &user = userSid();
    const QStringList parts = QDir::fromNativeSeparators(absolute).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString prefix;
    for (const QString &part : parts) {
        prefix = prefix.isEmpty() ? part : prefix + QLatin1Char('/') + part;
        const std::wstring at = wide(prefix + (prefix.endsWith(QLatin1Char(':')) ? QStringLiteral("/") : QString()));
        const DWORD attributes = GetFileAttributesW(at.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const QString linkOwner = ownerOf(at, true);
        if (linkOwner.isEmpty() || linkOwner == user || isSystemOwner(linkOwner))
            continue;
        const QString targetOwner = ownerOf(at, false);
        if (!targetOwner.isEmpty() && targetOwner != linkOwner)
            failures::foreignLink(path, prefix, linkOwner, QFileInfo(prefix).canonicalFilePath(), targetOwner);
    }
}

HANDLE openShared(const std::wstring &path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       disposition, flags, nullptr);
}

} // namespace

File::File(Native native)
    : m_native(native)
{
}

File::~File()
{
    reset();
}

File::File(File &&other) noexcept
    : m_native(other.m_native)
{
    other.m_native = invalid();
}

File &File::operator=(File &&other) noexcept
{
    if (this != &other) {
        reset();
        m_native = other.m_native;
        other.m_native = invalid();
    }
    return *this;
}

bool File::valid() const
{
    return m_native != INVALID_HANDLE_VALUE && m_native != nullptr;
}

void File::reset()
{
    if (valid())
        CloseHandle(m_native);
    m_native = invalid();
}

Native File::invalid()
{
    return INVALID_HANDLE_VALUE;
}

QString Folder::nativePath(const QString &name) const
{
    return QDir::toNativeSeparators(QDir(path).filePath(name));
}

std::optional<Place> locate(const QString &path, Purpose purpose)
{
    const QFileInfo info(path);
    const auto refuse = [&](DWORD error) {
        if (purpose == Purpose::Read)
            failures::cannotRead(path, systemErrorText(int(error)));
        failures::cannotWrite(path, systemErrorText(int(error)));
    };
    if (info.fileName().size() > 255) // what the system's file names allow
        refuse(ERROR_FILENAME_EXCED_RANGE);
    const QString absolute = info.absoluteFilePath();
    checkReparsePoints(absolute, path);
    QString target = absolute;
    QString throughLink;
    if (info.isSymLink()) {
        throughLink = absolute;
        target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    }
    const QFileInfo real(target);
    const QFileInfo folder(real.absolutePath());
    if (!folder.exists() || !folder.isDir()) {
        if (purpose == Purpose::Read)
            return std::nullopt;
        // A file where a folder of the path should be.
        for (QFileInfo up = folder; !up.isRoot() && up.absoluteFilePath() != up.absolutePath();
             up = QFileInfo(up.absolutePath())) {
            if (up.exists() && !up.isDir())
                failures::cannotWrite(path, QStringLiteral("uma parte do caminho não é uma pasta"));
        }
        failures::folderMissing(path);
    }
    const QString canonical = folder.canonicalFilePath();
    return Place{Folder{File(), canonical.isEmpty() ? folder.absoluteFilePath() : canonical}, real.fileName(),
                 throughLink};
}

std::optional<File> openToRead(const Place &place, const QString &path)
{
    const std::wstring at = wideAt(place.folder, place.name);
    const DWORD attributes = GetFileAttributesW(at.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        failures::cannotRead(path, systemErrorText(int(error)));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        failures::notRegular(path, true);
    File file(openShared(at, GENERIC_READ, OPEN_EXISTING));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        failures::cannotRead(path, systemErrorText(int(error)));
    }
    return file;
}

File openToWrite(const Place &place, const QString &path)
{
    File file(openShared(wideAt(place.folder, place.name), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH));
    if (!file.valid())
        failures::cannotWrite(path, systemErrorText(int(GetLastError())));
    return file;
}

std::optional<File> createNew(const Place &place, const QString &path)
{
    File file(openShared(wideAt(place.folder, place.name), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    if (file.valid())
        return file;
    const DWORD error = GetLastError();
    if (alreadyExists(int(error)))
        return std::nullopt;
    failures::cannotCreate(path, systemErrorText(int(error)));
}

std::optional<File> createPrivate(const Folder &folder, const QString &name, int *error)
{
    // An ACL of the user alone, not inherited from the folder.
    const std::wstring sddl = (QStringLiteral("D:P(A;;FA;;;%1)").arg(userSid())).toStdWString();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        security.lpSecurityDescriptor = descriptor;
    File file(CreateFileW(wideAt(folder, name).c_str(),
                          GENERIC_READ | GENERIC_WRITE | WRITE_DAC | WRITE_OWNER | READ_CONTROL,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, &security, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    *error = file.valid() ? 0 : int(GetLastError());
    if (descriptor)
        LocalFree(descriptor);
    if (!file.valid())
        return std::nullopt;
    return file;
}

bool alreadyExists(int error)
{
    return DWORD(error) == ERROR_FILE_EXISTS || DWORD(error) == ERROR_ALREADY_EXISTS;
}

std::optional<Snapshot> snapshot(const File &file)
{
    return snapshotOf(file.get());
}

std::optional<Snapshot> snapshotAt(const Place &place)
{
    const File handle(openShared(wideAt(place.folder, place.name), FILE_READ_ATTRIBUTES, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.valid())
        return std::nullopt;
    return snapshotOf(handle.get());
}

int writeAccess(const Place &place, const File &)
{
    // Another program that keeps others from writing the file (it holds it
    // open, sharing it for reading only) stops the save now.
    const File writable(openShared(wideAt(place.folder, place.name), GENERIC_WRITE, OPEN_EXISTING));
    return writable.valid() ? 0 : int(GetLastError());
}

Lock::Lock()
    : m_native(nullptr)
{
}

Lock::Lock(Native native)
    : m_native(native)
{
}

Lock::~Lock()
{
    if (m_native) {
        ReleaseMutex(m_native);
        CloseHandle(m_native);
    }
}

Lock::Lock(Lock &&other) noexcept
    : m_native(other.m_native)
{
    other.m_native = nullptr;
}

Lock &Lock::operator=(Lock &&other) noexcept
{
    std::swap(m_native, other.m_native);
    return *this;
}

Lock lockFile(const Place &, const File &, bool, settling::Waiting &)
{
    return Lock(); // the place's mutex is the lock
}

Lock lockPlace(const Place &place, settling::Waiting &waiting)
{
    // A mutex of the user's session, named after the file's real path.
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(place.path()).toLower().toUtf8(), QCryptographicHash::Sha1).toHex();
    const std::wstring name = L"Local\\commonserver-editor-" + QString::fromLatin1(key).toStdWString();
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        failures::cannotWrite(waiting.path(), systemErrorText(int(GetLastError())));
    bool said = false;
    for (;;) {
        const DWORD waited = WaitForSingleObject(mutex, 20);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) // abandoned: its holder ended
            return Lock(mutex);
        try {
            waiting.checkCancelled();
        } catch (...) {
            CloseHandle(mutex);
            throw;
        }
        if (waiting.passed()) {
            CloseHandle(mutex);
            failures::locked(waiting.path(), holders(place, File(), true), waiting.waitedMilliseconds());
        }
        if (!said)
            waiting.say(settling::Reason::Lock);
        said = true;
    }
}

std::optional<bool> openForWritingElsewhere(const Place &place, const File &)
{
    // A handle that lets no one else write cannot be had while someone writes.
    const File probe(CreateFileW(wideAt(place.folder, place.name).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    return !probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

QString holders(const Place &place, const File &, bool)
{
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return QString();
    QStringList described;
    const std::wstring file = wideAt(place.folder, place.name);
    LPCWSTR files[] = {file.c_str()};
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    if (RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS
        && RmGetList(session, &needed, &count, nullptr, &reasons) == ERROR_MORE_DATA && needed > 0) {
        std::vector<RM_PROCESS_INFO> processes(needed);
        count = needed;
        if (RmGetList(session, &needed, &count, processes.data(), &reasons) == ERROR_SUCCESS) {
            for (UINT i = 0; i < count; ++i) {
                const QString name = QString::fromWCharArray(processes[i].strAppName);
                const DWORD pid = processes[i].Process.dwProcessId;
                if (pid == GetCurrentProcessId())
                    continue;
                const bool ours = name.startsWith(QLatin1String("commonserver-"), Qt::CaseInsensitive);
                described << QStringLiteral("%1 \"%2\" (PID %3)")
                                 .arg(ours ? QStringLiteral("outra cópia deste programa,") : QStringLiteral("o programa"),
                                      name)
                                 .arg(pid);
            }
        }
    }
    RmEndSession(session);
    return described.join(QStringLiteral("; "));
}

Watcher::Watcher(const File &file)
    : m_file(file)
    , m_watch(nullptr)
{
    m_seen = snapshot(file);
}

Watcher::~Watcher() = default;

bool Watcher::waitForChange(settling::Nanoseconds timeout, const settling::Waiting &waiting)
{
    // A poll: a change notification would watch the whole folder.
    using namespace std::chrono_literals;
    const auto end = std::chrono::steady_clock::now() + std::min(timeout, waiting.left());
    while (std::chrono::steady_clock::now() < end) {
        waiting.pause(std::min<settling::Nanoseconds>(20ms, end - std::chrono::steady_clock::now()));
        const std::optional<Snapshot> now = snapshot(m_file);
        if (now && m_seen && !sameFileUnchanged(*now, *m_seen)) {
            m_seen = now;
            return true;
        }
    }
    return false;
}

int readAll(const File &file, QByteArray *bytes)
{
    LARGE_INTEGER size{};
    LARGE_INTEGER start{};
    if (!GetFileSizeEx(file.get(), &size) || !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
        return int(GetLastError());
    bytes->clear();
    bytes->reserve(qsizetype(size.QuadPart) + 1);
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return int(GetLastError());
        if (got == 0)
            return 0;
        bytes->append(buffer, qsizetype(got));
    }
}

int writeAll(const File &file, const QByteArray &bytes, qint64 at)
{
    LARGE_INTEGER start{};
    start.QuadPart = at;
    if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
        return int(GetLastError());
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file.get(), bytes.constData() + done, chunk, &written, nullptr))
            return int(GetLastError());
        if (written == 0)
            return int(ERROR_DISK_FULL);
        done += written;
    }
    return 0;
}

int resize(const File &file, qint64 size)
{
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        return int(GetLastError());
    return 0;
}

int reserve(const File &, qint64)
{
    return 0;
}

int flush(const File &file)
{
    return seams::flushResult(seams::Flushed::File, FlushFileBuffers(file.get()) ? 0 : int(GetLastError()));
}

int flushFolder(const Folder &)
{
    // Writes through the file cover its folder's entries.
    return seams::flushResult(seams::Flushed::Folder, 0);
}

bool takeIdentity(const File &file, const Snapshot &, const File &copy, bool exact)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return !exact; // a copy keeps its ACL of the user alone
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    // Whoever the file's ACL lets in. A copy takes it as it is now; the file's
    // replacement as the file has it, inheriting from the folder where the
    // file did (a file of the same folder inherits the same).
    const SECURITY_INFORMATION protection = !exact || (control & SE_DACL_PROTECTED)
                                                ? PROTECTED_DACL_SECURITY_INFORMATION
                                                : UNPROTECTED_DACL_SECURITY_INFORMATION;
    bool kept = SetSecurityInfo(copy.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | protection, nullptr, nullptr,
                                dacl, nullptr)
                == ERROR_SUCCESS;
    // The replacement keeps the file's owner, where the user may give it.
    if (kept && exact && owner) {
        PSID made = nullptr;
        PSECURITY_DESCRIPTOR madeDescriptor = nullptr;
        const bool same = GetSecurityInfo(copy.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &made, nullptr,
                                          nullptr, nullptr, &madeDescriptor)
                              == ERROR_SUCCESS
                          && made && EqualSid(made, owner);
        if (madeDescriptor)
            LocalFree(madeDescriptor);
        kept = same
               || SetSecurityInfo(copy.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr,
                                  nullptr)
                      == ERROR_SUCCESS;
    }
    LocalFree(descriptor);
    return kept || !exact;
}

std::optional<File> openCopy(const Folder &folder, const QString &name)
{
    // The link or junction itself, were it one: never what it leads to.
    File file(openShared(wideAt(folder, name), GENERIC_READ | READ_CONTROL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info)
        || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return std::nullopt;
    return file;
}

int readSome(const File &file, qint64 at, qint64 size, QByteArray *bytes)
{
    bytes->resize(qsizetype(size));
    qsizetype filled = 0;
    while (filled < bytes->size()) {
        OVERLAPPED from{};
        from.Offset = DWORD(quint64(at + filled) & 0xFFFFFFFFu);
        from.OffsetHigh = DWORD(quint64(at + filled) >> 32);
        DWORD got = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes->size() - filled, 1 << 20));
        if (!ReadFile(file.get(), bytes->data() + filled, chunk, &got, &from)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF)
                break;
            return int(error);
        }
        if (got == 0)
            break;
        filled += qsizetype(got);
    }
    bytes->truncate(filled);
    return 0;
}

int endOfFileError()
{
    return int(ERROR_HANDLE_EOF);
}

bool believable(const Folder &, const File &copy, const File &file, const Snapshot &)
{
    // By the owners' security identifiers: an administrator or the system,
    // the user running, or the file's owner.
    const QString author = ownerOfHandle(copy.get());
    return !author.isEmpty() && (isSystemOwner(author) || author == userSid() || author == ownerOfHandle(file.get()));
}

QString ownerName(const File &copy)
{
    return ownerOfHandle(copy.get());
}

bool ownedByUserOrRoot(const File &copy)
{
    const QString owner = ownerOfHandle(copy.get());
    return !owner.isEmpty() && (owner == userSid() || isSystemOwner(owner));
}

bool existsAt(const Folder &folder, const QString &name)
{
    return GetFileAttributesW(wideAt(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int removeAt(const Folder &folder, const QString &name)
{
    return DeleteFileW(wideAt(folder, name).c_str()) ? 0 : int(GetLastError());
}

QStringList namesIn(const Folder &folder, const QString &prefix)
{
    QStringList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wideAt(folder, prefix + QLatin1Char('*')).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name.startsWith(prefix)) // the pattern also matches short names
            names << name;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

namespace {

// Streams besides the file's content (":name:$DATA"), which a new file would not have.
bool hasOtherStreams(const std::wstring &path)
{
    WIN32_FIND_STREAM_DATA stream;
    const HANDLE search = FindFirstStreamW(path.c_str(), FindStreamInfoStandard, &stream, 0);
    if (search == INVALID_HANDLE_VALUE)
        return false; // none, or a file system without streams
    bool others = false;
    do
        others = others || std::wstring(stream.cStreamName) != L"::$DATA";
    while (!others && FindNextStreamW(search, &stream));
    FindClose(search);
    return others;
}

} // namespace

Replaced replace(const Place &place, File &file, const Snapshot &before, const QByteArray &bytes,
                 const QString &temporary, const QString &path)
{
    if (before.links > 1)
        return Replaced::InPlace; // a replacement would split the names of the file
    const std::wstring target = wideAt(place.folder, place.name);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // What a new file cannot be given: its encryption, compression or
    // sparseness, streams besides its content.
    if (attributes == INVALID_FILE_ATTRIBUTES
        || (attributes & (FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE))
        || hasOtherStreams(target))
        return Replaced::InPlace;
    int error = 0;
    std::optional<File> out = createPrivate(place.folder, temporary, &error);
    if (!out) {
        if (DWORD(error) == ERROR_ACCESS_DENIED)
            return Replaced::InPlace; // a folder the user cannot write to
        failures::cannotWrite(path, systemErrorText(error));
    }
    const auto discard = [&] {
        out->reset();
        removeAt(place.folder, temporary);
    };
    error = writeAll(*out, bytes.left(bytes.size() / 2), 0);
    seams::reached(seams::Step::TemporaryHalfWritten);
    if (error == 0)
        error = writeAll(*out, bytes.mid(bytes.size() / 2), bytes.size() / 2);
    if (error == 0 && !takeIdentity(file, before, *out, true)) {
        discard();
        return Replaced::InPlace; // an owner the user may not give
    }
    // The file's hidden, system, archive and indexing attributes.
    FILE_BASIC_INFO basic{};
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                                     | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    basic.FileAttributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    if (error == 0 && !SetFileInformationByHandle(out->get(), FileBasicInfo, &basic, sizeof basic))
        error = int(GetLastError());
    if (error == 0)
        error = flush(*out);
    if (error != 0) {
        discard();
        failures::cannotWrite(path, systemErrorText(error)); // the file itself was not touched
    }
    out->reset();
    seams::reached(seams::Step::TemporaryWritten);
    // The very last look: a change since the read means reading again.
    const std::optional<Snapshot> now = snapshotAt(place);
    if (!now || !sameFileUnchanged(*now, before)) {
        discard();
        return Replaced::Retry;
    }
    file.reset(); // the replacement moves the file, which no handle of ours may hold
    // One step: the path names the old file or the new one, never none.
    if (!MoveFileExW(wideAt(place.folder, temporary).c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD failed = GetLastError();
        discard();
        // Another program opened the file meanwhile: it may be writing it.
        if (failed == ERROR_SHARING_VIOLATION || failed == ERROR_ACCESS_DENIED) {
            Sleep(5);
            return Replaced::Retry;
        }
        const std::optional<Snapshot> after = snapshotAt(place);
        failures::writeFailed(path, systemErrorText(int(failed)),
                              failures::describeContent(after && sameFileUnchanged(*after, before)
                                                            ? failures::Content::Old
                                                            : failures::Content::Unknown,
                                                        QString()));
    }
    seams::reached(seams::Step::Renamed);
    return Replaced::Done;
}

int moveInto(const Place &place, const QString &temporary)
{
    return MoveFileExW(wideAt(place.folder, temporary).c_str(), wideAt(place.folder, place.name).c_str(),
                       MOVEFILE_WRITE_THROUGH)
               ? 0
               : int(GetLastError());
}

std::optional<Folder> stateFolder(bool make, QString *whyNot)
{
    const QString base = qEnvironmentVariable("LOCALAPPDATA");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        *whyNot = QStringLiteral("não há pasta para ela: defina LOCALAPPDATA");
        return std::nullopt;
    }
    const QString folder = QDir(base).filePath(QStringLiteral("commonserver-editor"));
    if (!make && !QFileInfo(folder).isDir()) {
        *whyNot = QStringLiteral("a pasta \"%1\" não existe").arg(QDir::toNativeSeparators(folder));
        return std::nullopt;
    }
    if (!QDir().mkpath(folder)) {
        *whyNot = QStringLiteral("a pasta \"%1\" não pôde ser criada").arg(QDir::toNativeSeparators(folder));
        return std::nullopt;
    }
    return Folder{File(), folder};
}

std::optional<Folder> sharedFolder(bool, QString *whyNot)
{
    // Each user's journals stay in their own %LOCALAPPDATA%.
    *whyNot = QStringLiteral("no Windows, cada usuário guarda as suas em %LOCALAPPDATA%");
    return std::nullopt;
}

} // namespace engine::filebytes::system
