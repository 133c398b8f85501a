#pragma once
// The engine's error numbers. The program acts on 3031, 3204, 3027 and 7;
// the others follow the same numbering so that traps on a number work.

#include <QString>

namespace dao {

enum ErrorNumber : int {
    ErrObjectNotSet = 91,          // a Nothing handle was used
    ErrInvalidArgument = 3001,
    ErrTooManyTransactions = 3003,
    ErrTableExists = 3010,
    ErrNotAnIndex = 3015,
    ErrNoCurrentIndex = 3019,
    ErrUpdateWithoutEdit = 3020,
    ErrNoCurrentRecord = 3021,
    ErrDuplicate = 3022,
    ErrFileNotFound = 3024,
    ErrDiskFull = 3026,
    ErrReadOnly = 3027,
    ErrInvalidPassword = 3031,
    ErrNoTransaction = 3034,
    ErrDiskError = 3043,
    ErrInvalidPath = 3044,
    ErrCannotOpen = 3051,
    ErrCorrupt = 3049,
    ErrNullInIndex = 3058,
    ErrTableNotFound = 3078,
    ErrInvalidName = 3125,
    ErrBadBookmark = 3159,
    ErrFieldTooSmall = 3163,
    ErrCounterNotUpdatable = 3164,
    ErrRecordDeleted = 3167,
    ErrTooManyFields = 3190,
    ErrFieldTwice = 3191,
    ErrDatabaseExists = 3204,
    ErrInvalidOperation = 3219,
    ErrLocked = 3260,
    ErrInvalidFieldType = 3259,
    ErrNoFieldDefined = 3264,
    ErrItemNotFound = 3265,
    ErrPrimaryExists = 3283,
    ErrIndexExists = 3284,
    ErrRequiredNull = 3314,
    ErrZeroLength = 3315,
    ErrNotABase = 3343,
    ErrNeedsRollback = 3734,       // a hot journal in a file that may not be written
    ErrUnsafeBase = 3735,          // the file holds what the program never makes
    ErrNotAFile = 3736,            // a folder, a pipe, a device or a socket
    ErrBaseInUse = 3045,           // another program holds the file locked
    ErrOverflow = 3349,
    ErrObjectClosed = 3420,
    ErrConversion = 3421,
    ErrCriteriaMismatch = 3464,
    ErrEngine = 3000,
};

// The description of an error, with its argument put in where it names
// something (a file, a table, a field).
QString errorDescription(int number, const QString &arg = {});

// Raises vb::Error with that number and description.
[[noreturn]] void fail(int number, const QString &arg = {});

} // namespace dao
