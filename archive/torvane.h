/* Torvane: edits one IMG version 2 archive at a time (the game's model archives).
 *
 * Five C functions, stdcall on 32-bit Windows, exported under their plain names.
 * Strings are zero-terminated single-byte strings that Torvane only reads during
 * the call; it keeps no reference to them and hands out no handle: the one open
 * archive lives inside the library from IMGOpen to IMGClose. Calls must come one
 * at a time from one thread. Every result is a status code below; never negative.
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
                                after a failed change whose directory could not be read back) */
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
      return "reading or writing failed (disk full, I/O error, or data past the archive's end)";
    default:
      return "unexpected status";
  }
}

/* Opens the archive at path for exclusive use and reads its directory.
 * Returns 0, 1, 2, 4, 14 or 16 (16 also when memory for the directory is
 * lacking). After any result but 1 the library counts as open: call IMGClose
 * before the next IMGOpen. */
TORVANE_API int TORVANE_CALL IMGOpen(const char* path);

/* Releases the archive (if one is held) and its directory. Writes nothing.
 * Harmless when nothing is open. */
TORVANE_API void TORVANE_CALL IMGClose(void);

/* Copies the file at path into the archive as entry name (or, when name is null,
 * the part of path after its last separator, '\\' on Windows and '/' elsewhere;
 * empty when path has none). replace: only the lowest 8 bits
 * count; nonzero lets the entry replace one of the same name.
 * Returns 0, 2, 6, 8, 12 or 16. */
TORVANE_API int TORVANE_CALL IMGAddFile(const char* path, const char* name, int replace);

/* Removes the first entry called name from the directory; its data stays in
 * the file. Returns 10 (deleted or not there), 12 or 16. */
TORVANE_API int TORVANE_CALL IMGDelFile(const char* name);

/* Writes the whole sectors of the first entry called name to the file at path,
 * created or overwritten. Returns 0 (also when no entry bears the name, and then
 * no file is created), 2, 12 or 16. */
TORVANE_API int TORVANE_CALL IMGExtractFile(const char* name, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* TORVANE_H */
