#pragma once
// The data-access layer: a read-only connection to the attribute database and query objects over
// it. The database is a SQLite file, either the one the connection text names or, for an Access
// file, the copy that the import made in the cache folder.

#include "common/DatabaseKind.h"
#include "common/TAMOError.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// A failure reported by the database itself (syntax error, missing table or field); the message
// is the database's own.
class TDatabaseError : public TAMOError {
public:
    using TAMOError::TAMOError;
};

// The path after "Data Source=", up to the closing ";Persist Security Info=False" (or the next ";"
// when the text does not end so). Throws when the text names no file.
QString DatabasePathOf(const QString& connectionString);

// How long a query may run in all (from its start to its last row) before it is stopped with an
// error: no condition a user types can hang the viewer. One minute unless a test sets it shorter.
void SetQueryTimeLimit(std::chrono::milliseconds limit);
// The most memory SQLite may take in this process (512 MB); a query that needs more fails with
// a message saying so instead of exhausting the machine.
inline constexpr long long kDatabaseMemoryLimit = 512LL * 1024 * 1024;
// The SQLite file that serves the connection text: the named file itself, or for an Access file
// its imported copy in `cacheFolder` (which must exist). Throws when there is none.
QString ResolveSqlitePath(const QString& connectionString, const QString& cacheFolder);

// A table or field name written into a query text as a quoted identifier: blanks around it are
// dropped and a double quote inside it is doubled, so a name read from the database itself can
// never become part of the statement.
QString SqlIdentifier(const QString& name);

// A value bound to a "?" of a query text, in the order the marks appear. Values never become
// part of the text.
using TSqlValue = std::variant<std::int64_t, double, QString>;
using TSqlValues = std::vector<TSqlValue>;

struct sqlite3;

// One read-only connection to the attribute database, opened with sqlite3_open_v2 and closed
// when the object goes. Writes are refused twice: the file is opened read-only and the
// connection is used only when `PRAGMA query_only` reads back 1. Texts in double quotes are
// texts (the query window's quote button and layer restriction rely on it).
class TDatabaseConnection {
public:
    // Throws TAMOError when the file is missing and TDatabaseError when it cannot be opened.
    TDatabaseConnection(const QString& connectionString, const QString& cacheFolder);
    ~TDatabaseConnection();
    TDatabaseConnection(const TDatabaseConnection&) = delete;
    TDatabaseConnection& operator=(const TDatabaseConnection&) = delete;

    const QString& ConnectionString() const { return m_connectionString; }
    // The SQLite file opened (the imported copy for an Access file).
    const QString& FilePath() const { return m_filePath; }
    sqlite3* Handle() const { return m_handle; }

    // Stops the query running on this connection, and every later one, with TQueryInterrupted.
    // Safe from any thread.
    void Interrupt();
    // A query starts: its time limit counts from now.
    void StartQueryClock();
    // Whether Interrupt was called.
    bool WasInterrupted() const;

private:
    static int Progress(void* self);

    QString m_connectionString;
    QString m_filePath;
    sqlite3* m_handle = nullptr;
    std::atomic<qint64> m_deadline{0}; // ms since the epoch of QDateTime; 0: no query running
    std::atomic<bool> m_interrupted{false};
};

// Prepares the query text without running it: raises TDatabaseError as TDataSet::Open would (a
// syntax error, a missing table or field, a second statement, a statement that writes).
void CheckSingleQuery(TDatabaseConnection& connection, const QString& sql);

// A query stopped by TDatabaseConnection::Interrupt (a user's Cancel).
class TQueryInterrupted : public TDatabaseError {
public:
    using TDatabaseError::TDatabaseError;
};

// One query object: runs a query text, walks its rows from the first and reads fields by name
// (without regard to case) or by position, as text or as a number. Rows are stepped from the
// database as they are read; RecordCount reads the remaining rows once to count them.
class TDataSet {
public:
    // Runs its queries on `connection`, which must outlive it.
    explicit TDataSet(TDatabaseConnection& connection);
    // Opens a connection of its own to the database that the connection text names (an Access
    // file's copy in `cacheFolder`) on first use, and closes it with the object.
    explicit TDataSet(const QString& connectionString, const QString& cacheFolder = {});
    ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // Runs one statement with its values bound to its "?" marks (as many values as marks); the
    // first row (if any) becomes the current one.
    void Open(const QString& sql, const TSqlValues& values = {});
    void Close();
    bool Active() const;

    bool Eof() const;
    void Next();
    // Back to the first row (the query runs again if its rows were not kept).
    void First();
    int RecordCount();

    int FieldCount() const;
    QString FieldName(int index) const;
    // -1 when the result has no such field.
    int FieldIndex(const QString& name) const;

    // Values of the current row. Integers come without a decimal point, reals in their shortest
    // form with "." as the separator (an infinite real as "Inf" or "-Inf"), NULL as an empty text.
    QString AsString(int index) const;
    QString AsString(const QString& name) const;
    // A whole number of 32 bits: a real or a text is rounded to the nearest; a value beyond the
    // range, a NaN or a text that is no number raises TDatabaseError.
    int AsInteger(int index) const;
    int AsInteger(const QString& name) const;
    // A text that is no number, or NaN, raises TDatabaseError.
    double AsFloat(const QString& name) const;
    // The value as a number: none for NULL, and none for a text that is no number or NaN.
    std::optional<double> AsNumber(int index) const;
    bool AsBoolean(const QString& name) const;

private:
    enum class TValueKind { Null, Integer, Real, Text };
    struct TValue {
        TValueKind Kind = TValueKind::Null;
        qint64 Integer = 0;
        double Real = 0;
        QString Text;
    };

    void Step();
    void Execute();
    void Bind();
    void CheckCurrent(int index) const;
    int RequireField(const QString& name) const;
    TValue ValueAt(int index) const;
    void Finalize();

    TDatabaseConnection& Connection();

    QString m_connectionString;
    QString m_cacheFolder;
    std::unique_ptr<TDatabaseConnection> m_ownConnection;
    TDatabaseConnection* m_connection = nullptr;
    QString m_sql;
    TSqlValues m_values;
    void* m_statement = nullptr; // sqlite3_stmt
    bool m_eof = true;
    bool m_active = false;
    std::int64_t m_position = 0; // 0-based number of the current row
    QStringList m_fieldNames;
    QHash<QString, int> m_fieldIndex; // lower-case name -> position
    // Rows kept after RecordCount; m_rows[m_position - m_firstKept] is the current one then.
    bool m_keeping = false;
    std::int64_t m_firstKept = 0;
    std::vector<std::vector<TValue>> m_rows;
    QElapsedTimer m_clock;      // since the query started
    std::int64_t m_stepped = 0; // rows stepped from the database
};
