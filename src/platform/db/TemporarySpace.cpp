#include "platform/db/TemporarySpace.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

namespace db {

namespace {

constexpr const char *kLayerName = "corvina-bounded";

// A file of the engine, with the file of the layer underneath right behind it.
struct File
{
    sqlite3_file base;
    sqlite3_file *real;
    // Temporary files count against the bound; the main database files and their write-ahead
    // journals set it.
    bool temporary;
    bool main;
    bool journal;
    // The bytes of a temporary file counted so far, and the bound when it was opened.
    sqlite3_int64 extent;
    sqlite3_int64 bound;
};

constexpr int kTemporary = SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_TRANSIENT_DB
        | SQLITE_OPEN_SUBJOURNAL;

sqlite3_vfs *underneath = nullptr;
sqlite3_vfs layer;

std::mutex mutex;
// Guarded by mutex: the bytes all temporary files hold, and the open main database files and
// write-ahead journals.
sqlite3_int64 used = 0;
std::set<File *> databases;

std::atomic<qint64> floorBytes{qint64(64) << 20};
std::atomic<bool> ranOut{false};

File *of(sqlite3_file *file)
{
    return reinterpret_cast<File *>(file);
}

sqlite3_file *realOf(sqlite3_file *file)
{
    return of(file)->real;
}

// Twice the largest open database, plus the floor. A database's pages written since its last
// checkpoint (all of them, for a transaction that fills a new file) are in its journal, so the
// largest journal counts too. Called with mutex held.
sqlite3_int64 currentBound()
{
    sqlite3_int64 largestFile = 0;
    sqlite3_int64 largestJournal = 0;
    for (File *database : databases) {
        sqlite3_int64 size = 0;
        if (database->real->pMethods->xFileSize(database->real, &size) != SQLITE_OK)
            continue;
        sqlite3_int64 &largest = database->journal ? largestJournal : largestFile;
        largest = std::max(largest, size);
    }
    return 2 * (largestFile + largestJournal) + floorBytes.load();
}

int fileClose(sqlite3_file *file)
{
    File *self = of(file);
    {
        const std::lock_guard lock(mutex);
        used -= self->extent;
        databases.erase(self);
    }
    return self->real->pMethods->xClose(self->real);
}

int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    return realOf(file)->pMethods->xRead(realOf(file), buffer, amount, offset);
}

int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    File *self = of(file);
    if (self->temporary && offset + amount > self->extent) {
        const std::lock_guard lock(mutex);
        const sqlite3_int64 growth = offset + amount - self->extent;
        if (used + growth > self->bound) {
            ranOut = true;
            return SQLITE_FULL;
        }
        used += growth;
        self->extent += growth;
    }
    return self->real->pMethods->xWrite(self->real, buffer, amount, offset);
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    File *self = of(file);
    if (self->temporary && size < self->extent) {
        const std::lock_guard lock(mutex);
        used -= self->extent - size;
        self->extent = size;
    }
    return self->real->pMethods->xTruncate(self->real, size);
}

int fileSync(sqlite3_file *file, int flags)
{
    return realOf(file)->pMethods->xSync(realOf(file), flags);
}

int fileSize(sqlite3_file *file, sqlite3_int64 *size)
{
    return realOf(file)->pMethods->xFileSize(realOf(file), size);
}

int fileLock(sqlite3_file *file, int level)
{
    return realOf(file)->pMethods->xLock(realOf(file), level);
}

int fileUnlock(sqlite3_file *file, int level)
{
    return realOf(file)->pMethods->xUnlock(realOf(file), level);
}

int fileCheckReservedLock(sqlite3_file *file, int *result)
{
    return realOf(file)->pMethods->xCheckReservedLock(realOf(file), result);
}

int fileControl(sqlite3_file *file, int operation, void *argument)
{
    return realOf(file)->pMethods->xFileControl(realOf(file), operation, argument);
}

int fileSectorSize(sqlite3_file *file)
{
    return realOf(file)->pMethods->xSectorSize(realOf(file));
}

int fileDeviceCharacteristics(sqlite3_file *file)
{
    return realOf(file)->pMethods->xDeviceCharacteristics(realOf(file));
}

int fileShmMap(sqlite3_file *file, int page, int pageSize, int extend, void volatile **mapped)
{
    return realOf(file)->pMethods->xShmMap(realOf(file), page, pageSize, extend, mapped);
}

int fileShmLock(sqlite3_file *file, int offset, int n, int flags)
{
    return realOf(file)->pMethods->xShmLock(realOf(file), offset, n, flags);
}

void fileShmBarrier(sqlite3_file *file)
{
    realOf(file)->pMethods->xShmBarrier(realOf(file));
}

int fileShmUnmap(sqlite3_file *file, int deleteFlag)
{
    return realOf(file)->pMethods->xShmUnmap(realOf(file), deleteFlag);
}

int fileFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **pointer)
{
    return realOf(file)->pMethods->xFetch(realOf(file), offset, amount, pointer);
}

int fileUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *pointer)
{
    return realOf(file)->pMethods->xUnfetch(realOf(file), offset, pointer);
}

// One table for each version of the file methods, so that the engine asks a file only for what
// the layer underneath gave it.
const sqlite3_io_methods kMethods[3] = {
        {1, fileClose, fileRead, fileWrite, fileTruncate, fileSync, fileSize, fileLock, fileUnlock,
         fileCheckReservedLock, fileControl, fileSectorSize, fileDeviceCharacteristics, nullptr,
         nullptr, nullptr, nullptr, nullptr, nullptr},
        {2, fileClose, fileRead, fileWrite, fileTruncate, fileSync, fileSize, fileLock, fileUnlock,
         fileCheckReservedLock, fileControl, fileSectorSize, fileDeviceCharacteristics, fileShmMap,
         fileShmLock, fileShmBarrier, fileShmUnmap, nullptr, nullptr},
        {3, fileClose, fileRead, fileWrite, fileTruncate, fileSync, fileSize, fileLock, fileUnlock,
         fileCheckReservedLock, fileControl, fileSectorSize, fileDeviceCharacteristics, fileShmMap,
         fileShmLock, fileShmBarrier, fileShmUnmap, fileFetch, fileUnfetch},
};

constexpr int realOffset()
{
    return static_cast<int>((sizeof(File) + 7) & ~size_t(7));
}

int layerOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    File *self = of(file);
    self->base.pMethods = nullptr;
    self->real = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(file) + realOffset());
    self->real->pMethods = nullptr;
    self->temporary = (flags & kTemporary) != 0;
    self->main = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    self->journal = (flags & SQLITE_OPEN_WAL) != 0;
    self->extent = 0;
    self->bound = 0;
    const int rc = underneath->xOpen(underneath, name, self->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        // The engine closes only a file whose methods are set; the one underneath may have
        // been left half open.
        if (self->real->pMethods)
            self->real->pMethods->xClose(self->real);
        return rc;
    }
    const int version = std::clamp(self->real->pMethods->iVersion, 1, 3);
    self->base.pMethods = &kMethods[version - 1];
    const std::lock_guard lock(mutex);
    if (self->main || self->journal)
        databases.insert(self);
    if (self->temporary)
        self->bound = currentBound();
    return SQLITE_OK;
}

int layerDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    return underneath->xDelete(underneath, name, syncDir);
}

int layerAccess(sqlite3_vfs *, const char *name, int flags, int *result)
{
    return underneath->xAccess(underneath, name, flags, result);
}

int layerFullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return underneath->xFullPathname(underneath, name, size, out);
}

void *layerDlOpen(sqlite3_vfs *, const char *name)
{
    return underneath->xDlOpen(underneath, name);
}

void layerDlError(sqlite3_vfs *, int size, char *message)
{
    underneath->xDlError(underneath, size, message);
}

void (*layerDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return underneath->xDlSym(underneath, handle, symbol);
}

void layerDlClose(sqlite3_vfs *, void *handle)
{
    underneath->xDlClose(underneath, handle);
}

int layerRandomness(sqlite3_vfs *, int size, char *out)
{
    return underneath->xRandomness(underneath, size, out);
}

int layerSleep(sqlite3_vfs *, int microseconds)
{
    return underneath->xSleep(underneath, microseconds);
}

int layerCurrentTime(sqlite3_vfs *, double *now)
{
    return underneath->xCurrentTime(underneath, now);
}

int layerGetLastError(sqlite3_vfs *, int size, char *out)
{
    return underneath->xGetLastError ? underneath->xGetLastError(underneath, size, out) : 0;
}

int layerCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *now)
{
    return underneath->xCurrentTimeInt64(underneath, now);
}

int layerSetSystemCall(sqlite3_vfs *, const char *name, sqlite3_syscall_ptr call)
{
    return underneath->xSetSystemCall(underneath, name, call);
}

sqlite3_syscall_ptr layerGetSystemCall(sqlite3_vfs *, const char *name)
{
    return underneath->xGetSystemCall(underneath, name);
}

const char *layerNextSystemCall(sqlite3_vfs *, const char *name)
{
    return underneath->xNextSystemCall(underneath, name);
}

void install()
{
    underneath = sqlite3_vfs_find(nullptr);
    if (!underneath)
        return;
    layer = sqlite3_vfs{};
    // No newer than the methods below, nor than those underneath.
    layer.iVersion = std::min(underneath->iVersion, 3);
    layer.szOsFile = realOffset() + underneath->szOsFile;
    layer.mxPathname = underneath->mxPathname;
    layer.zName = kLayerName;
    layer.xOpen = layerOpen;
    layer.xDelete = layerDelete;
    layer.xAccess = layerAccess;
    layer.xFullPathname = layerFullPathname;
    layer.xDlOpen = layerDlOpen;
    layer.xDlError = layerDlError;
    layer.xDlSym = layerDlSym;
    layer.xDlClose = layerDlClose;
    layer.xRandomness = layerRandomness;
    layer.xSleep = layerSleep;
    layer.xCurrentTime = layerCurrentTime;
    layer.xGetLastError = layerGetLastError;
    if (layer.iVersion >= 2)
        layer.xCurrentTimeInt64 = layerCurrentTimeInt64;
    if (layer.iVersion >= 3) {
        layer.xSetSystemCall = layerSetSystemCall;
        layer.xGetSystemCall = layerGetSystemCall;
        layer.xNextSystemCall = layerNextSystemCall;
    }
    // The default for every connection opened from now on, the toolkit's driver's among them.
    if (sqlite3_vfs_register(&layer, 1) != SQLITE_OK)
        underneath = nullptr;
}

} // namespace

void BoundTemporarySpace()
{
    static std::once_flag once;
    std::call_once(once, install);
}

void SetTemporarySpaceFloor(qint64 bytes)
{
    floorBytes = bytes;
}

qint64 TemporarySpaceFloor()
{
    return floorBytes;
}

bool TemporarySpaceRanOut()
{
    return ranOut.exchange(false);
}

} // namespace db
