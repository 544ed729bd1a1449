/* Torvane: edits one IMG version 2 archive at a time (the game's model archives).
 *
 * Five C functions, stdcall on 32-bit Windows, exported under their plain names.
 * Strings are zero-terminated single-byte strings that Torvane only reads during
 * the call; it keeps no reference to them and hands out no handle: the one open
 * archive lives inside the library from IMGOpen to IMGClose. Calls must come one
 * at a time from one thread. Every result is a status code below; never negative.
 *
 * Every change is atomic and durable. Before a call overwrites any byte of the
 * archive it writes the original bytes, the archive's length before and after
 * the call and a checksum of the new bytes, block by block, to a journal beside
 * the archive's real file (its path resolved: "<resolved path>-journal"),
 * created anew and never through a link, and makes that durable; the journal is
 * void and deleted once the changed archive is on disk. A call that fails part
 * way restores the archive from the journal before it returns; a crash or power
 * cut leaves the journal for the next IMGOpen, which restores the archive if it
 * is still the file the journal was written for, caught mid-change. So after
 * any interruption each entry, and the entry count, is as before the call or as
 * after it, never a mixture; and a call that reported success stays done. A
 * journal that does not fit the archive (another file was put in its place) is
 * never applied: IMGOpen renames it to "<journal>.stale" (".stale.2" and on)
 * and opens the archive as it is. The folder of the archive must let Torvane
 * create, rename and delete those files.
 */
#ifndef TORVANE_H
#define TORVANE_H

#if defined(_WIN32)
#define TORVANE_CALL __stdcall
#else
#define TORVANE_CALL
#endif

/* TORVANE_STATIC: the functions are linked in as a static library (the test
 * build of the archive code) rather than imported from the shared library. */
#if defined(TORVANE_STATIC)
#define TORVANE_API
#elif defined(_WIN32) && defined(TORVANE_BUILDING)
#define TORVANE_API __declspec(dllexport)
#elif defined(_WIN32)
#define TORVANE_API __declspec(dllimport)
#else
#define TORVANE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes. */
enum {
  TORVANE_OK = 0,            /* done; IMGExtractFile also when no entry bears the name */
  TORVANE_ALREADY_OPEN = 1,  /* IMGOpen: an earlier IMGOpen has not been closed yet */
  TORVANE_CANNOT_OPEN = 2,   /* the archive, the file to add or the output cannot be opened */
  TORVANE_NOT_IMG = 4,       /* IMGOpen: the file does not begin with "VER2" */
  TORVANE_NAME_TOO_LONG = 6, /* IMGAddFile: the entry name has 24 or more characters */
  TORVANE_EXISTS = 8,        /* IMGAddFile: the name exists and replacing was not allowed */
  TORVANE_DELETED = 10,      /* IMGDelFile: its result whether or not an entry was deleted */
  TORVANE_NOT_OPEN = 12,     /* an entry operation while no usable archive is open (also
                                after a failed change that could not be rolled back, or
                                whose directory could not be read back: IMGClose, then
                                IMGOpen rolls it back) */
  TORVANE_BAD_ARCHIVE = 14,  /* IMGOpen: "VER2", but the header or directory is not sound */
  TORVANE_IO_ERROR = 16      /* a read, write or positioning failed or came up short */
};

/* A short English description of a status code, for a caller's messages. */
static inline const char* TorvaneStatusText(int status) {
  switch (status) {
    case TORVANE_OK:
      return "done";
    case TORVANE_ALREADY_OPEN:
      return "another archive is already open";
    case TORVANE_CANNOT_OPEN:
      return "the file cannot be opened (missing, a folder, or held by another program)";
    case TORVANE_NOT_IMG:
      return "not an IMG version 2 archive (it does not begin with \"VER2\")";
    case TORVANE_NAME_TOO_LONG:
      return "the entry name has 24 or more characters";
    case TORVANE_EXISTS:
      return "an entry of that name exists and replacing was not allowed";
    case TORVANE_DELETED:
      return "deleted, or no entry bore the name";
    case TORVANE_NOT_OPEN:
      return "no usable archive is open";
    case TORVANE_BAD_ARCHIVE:
      return "the archive's header or directory is damaged";
    case TORVANE_IO_ERROR:
      return "reading, writing or syncing failed (disk full, I/O error, data past the archive's "
             "end, or its journal cannot be written or rolled back)";
    default:
      return "unexpected status";
  }
}

/* Opens the archive at path for exclusive use and reads its directory. Once
 * the archive is held, a journal left beside it by an interrupted change is
 * rolled back (the original bytes and length restored and made durable) and
 * deleted, if the archive still fits it; one that does not fit is set aside,
 * renamed, never applied; an incomplete or void one is deleted (or, when that
 * fails, ignored); a link or folder at the journal's path is left alone; a file
 * that does not begin with "VER2" returns 4 and its journal name is not looked
 * at. Returns 0, 1, 2, 4, 14 or 16 (16 also when memory for the directory is
 * lacking, and when a journal cannot be read, rolled back or set aside: both
 * files are then left for the next IMGOpen). After any result but 1 the library counts as open: call
 * IMGClose before the next IMGOpen. */
TORVANE_API int TORVANE_CALL IMGOpen(const char* path);

/* Releases the archive (if one is held) and its directory. Writes nothing.
 * Harmless when nothing is open. */
TORVANE_API void TORVANE_CALL IMGClose(void);

/* Copies the file at path into the archive as entry name (or, when name is null,
 * the part of path after its last separator, '\\' on Windows and '/' elsewhere;
 * empty when path has none). replace: only the lowest 8 bits
 * count; nonzero lets the entry replace one of the same name.
 * Returns 0, 2, 6, 8, 12 or 16; 0 only once the change is on disk. After 16
 * (also when no journal can be created, as when a link or folder stands at its
 * path, and then before anything is written)
 * the archive is as before the call; only when undoing the change failed too,
 * and every entry operation then returns 12, does the next IMGOpen settle it:
 * as before the call, or as after it when the failure came once the change
 * was complete. */
TORVANE_API int TORVANE_CALL IMGAddFile(const char* path, const char* name, int replace);

/* Removes the first entry called name from the directory; its data stays in
 * the file. Returns 10 (deleted or not there; a deletion is then on disk), 12
 * or 16 (the archive as it was, as for IMGAddFile). */
TORVANE_API int TORVANE_CALL IMGDelFile(const char* name);

/* Writes the whole sectors of the first entry called name to the file at path,
 * created or overwritten. Returns 0 (also when no entry bears the name, and then
 * no file is created; otherwise once the output is on disk and closed), 2 (also
 * for an output that is the open archive or its journal, however the path
 * spells it: nothing is written then), 12 or 16 (a read, write, sync or close
 * failed: no output file is left). */
TORVANE_API int TORVANE_CALL IMGExtractFile(const char* name, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* TORVANE_H */
