#include "DaoErrors.h"

#include "Error.h"

namespace dao {

QString errorDescription(int number, const QString &arg)
{
    switch (number) {
    case ErrObjectNotSet: return QStringLiteral("Object variable or With block variable not set.");
    case ErrInvalidArgument: return QStringLiteral("Invalid argument.");
    case ErrTooManyTransactions:
        return QStringLiteral("Could not start transaction; too many transactions already nested.");
    case ErrTableExists: return QStringLiteral("Table '%1' already exists.").arg(arg);
    case ErrNotAnIndex: return QStringLiteral("'%1' isn't an index in this table.").arg(arg);
    case ErrNoCurrentIndex: return QStringLiteral("Operation invalid without a current index.");
    case ErrUpdateWithoutEdit: return QStringLiteral("Update or CancelUpdate without AddNew or Edit.");
    case ErrNoCurrentRecord: return QStringLiteral("No current record.");
    case ErrDuplicate:
        return QStringLiteral("The changes you requested were not successful because they would "
                              "create duplicate values in the index or primary key '%1'.")
            .arg(arg);
    case ErrFileNotFound: return QStringLiteral("Couldn't find file '%1'.").arg(arg);
    case ErrDiskFull: return QStringLiteral("Not enough space on disk.");
    case ErrReadOnly: return QStringLiteral("Can't update. Database or object is read-only.");
    case ErrInvalidPassword: return QStringLiteral("Not a valid password.");
    case ErrNoTransaction:
        return QStringLiteral("You tried to commit or rollback a transaction without first "
                              "beginning a transaction.");
    case ErrDiskError: return QStringLiteral("Disk or network error.");
    case ErrInvalidPath: return QStringLiteral("'%1' isn't a valid path.").arg(arg);
    case ErrCannotOpen: return QStringLiteral("Cannot open the file '%1'.").arg(arg);
    case ErrCorrupt:
        return QStringLiteral("Can't open database '%1'. The file is damaged or is not a base.")
            .arg(arg);
    case ErrNullInIndex: return QStringLiteral("Index or primary key '%1' can't contain a Null value.").arg(arg);
    case ErrTableNotFound: return QStringLiteral("Cannot find the input table '%1'.").arg(arg);
    case ErrInvalidName: return QStringLiteral("'%1' isn't a valid name.").arg(arg);
    case ErrBadBookmark: return QStringLiteral("Not a valid bookmark.");
    case ErrFieldTooSmall:
        return QStringLiteral("The field '%1' is too small to accept the amount of data you "
                              "attempted to add.")
            .arg(arg);
    case ErrCounterNotUpdatable: return QStringLiteral("Field '%1' can't be updated.").arg(arg);
    case ErrRecordDeleted: return QStringLiteral("Record is deleted.");
    case ErrTooManyFields: return QStringLiteral("Too many fields defined.");
    case ErrFieldTwice: return QStringLiteral("Can't define field '%1' more than once.").arg(arg);
    case ErrDatabaseExists: return QStringLiteral("Database '%1' already exists.").arg(arg);
    case ErrInvalidOperation: return QStringLiteral("Invalid operation.");
    case ErrLocked: return QStringLiteral("Couldn't update; the base is locked by another user.");
    case ErrInvalidFieldType: return QStringLiteral("Invalid field data type for '%1'.").arg(arg);
    case ErrNoFieldDefined:
        return QStringLiteral("No field defined--cannot append table or index '%1'.").arg(arg);
    case ErrItemNotFound: return QStringLiteral("Item '%1' not found in this collection.").arg(arg);
    case ErrPrimaryExists: return QStringLiteral("Primary key already exists.");
    case ErrIndexExists: return QStringLiteral("Index '%1' already exists.").arg(arg);
    case ErrRequiredNull: return QStringLiteral("The field '%1' can't contain a Null value.").arg(arg);
    case ErrZeroLength: return QStringLiteral("Field '%1' can't be a zero-length string.").arg(arg);
    case ErrNotABase: return QStringLiteral("Unrecognized database format '%1'.").arg(arg);
    case ErrNeedsRollback:
        return QStringLiteral("The base '%1' was left half-written : its journal must be rolled back, "
                              "which opening it as the base does.")
            .arg(arg);
    case ErrUnsafeBase:
        return QStringLiteral("The file '%1' was not opened : its catalog takes far longer to read than a "
                              "base's does.")
            .arg(arg);
    case ErrNotAFile:
        return QStringLiteral("'%1' is not a file but a folder, a pipe, a device or a socket : it cannot be a "
                              "base.")
            .arg(arg);
    case ErrBaseInUse:
        return QStringLiteral("The base '%1' is in use by another program : try again when it has finished.")
            .arg(arg);
    case ErrOverflow: return QStringLiteral("Numeric field overflow.");
    case ErrObjectClosed: return QStringLiteral("Object invalid or no longer set.");
    case ErrConversion: return QStringLiteral("Data type conversion error.");
    case ErrCriteriaMismatch: return QStringLiteral("Data type mismatch in criteria expression.");
    case ErrEngine: return QStringLiteral("Database engine error: %1").arg(arg);
    default: break;
    }
    return arg.isEmpty() ? QStringLiteral("Error %1.").arg(number) : arg;
}

void fail(int number, const QString &arg)
{
    vb::raise(number, errorDescription(number, arg), QStringLiteral("DAO"));
}

} // namespace dao
