#include "db/DataAccess.h"

#include "db/AttributeImport.h"

#include "common/Logging.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

// A query gets this long from its start to its last row.
std::atomic<std::chrono::milliseconds> gQueryTimeLimit{std::chrono::seconds(60)};

QString RealText(double value) {
    // SQLite keeps no NaN (it stores NULL instead) but does keep infinities; they read as SQLite
    // itself writes them.
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Inf" : "-Inf";
    const double magnitude = std::fabs(value);
    // Plain notation for every value a soil attribute takes; exponents only at the extremes.
    if (magnitude != 0 && (magnitude >= 1e15 || magnitude < 1e-6))
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

// A whole number of 32 bits from a real, rounded to the nearest; NaN and values beyond the range
// have none.
bool RoundsToInt(double real, int& result) {
    if (!(real > -2147483648.5 && real < 2147483647.5))
        return false;
    result = static_cast<int>(std::llround(real));
    return true;
}

// Whether the connection refuses every write: the answer of the pragma itself, not of setting it.
bool IsQueryOnly(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA query_only", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    const bool on = sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 1;
    sqlite3_finalize(statement);
    return on;
}

// A failure of the database as the user can act on it: which file, what is wrong, and then the
// database's own words.
QString DatabaseFailure(const QString& connectionString, int code, const QString& text) {
    QString path;
    try {
        path = DatabasePathOf(connectionString);
    } catch (const TAMOError&) {
        path = connectionString;
    }
    QString problem;
    switch (code & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        problem = "is damaged";
        break;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        problem = "cannot be read";
        break;
    case SQLITE_NOMEM:
        return QString("The query needs more memory than the %1 MB that the attribute database may "
                       "use, and was stopped. Narrow the condition.")
            .arg(kDatabaseMemoryLimit / (1024 * 1024));
    case SQLITE_FULL:
        problem = "cannot be read for lack of disk space";
        break;
    default:
        problem = text.startsWith("no such table") || text.startsWith("no such column")
                      ? "lacks a table or field that is asked for"
                      : "cannot run the query";
        break;
    }
    return QString("The attribute database \"%1\" %2: %3").arg(path, problem, text);
}

} // namespace

TDatabaseConnection::TDatabaseConnection(const QString& connectionString, const QString& cacheFolder)
    : m_connectionString(connectionString), m_filePath(ResolveSqlitePath(connectionString, cacheFolder)) {
    // No query may take the machine's memory; the limit holds for the whole process.
    sqlite3_hard_heap_limit64(kDatabaseMemoryLimit);
    const QString shownPath = DatabasePathOf(connectionString);
    const auto fail = [&](const QString& message) {
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
        qCWarning(LogDb) << "cannot open" << m_filePath << ":" << message;
        throw TDatabaseError(message);
    };
    const int opened =
        sqlite3_open_v2(QFile::encodeName(m_filePath).constData(), &m_handle, SQLITE_OPEN_READONLY, nullptr);
    if (opened != SQLITE_OK)
        fail(QString("The attribute database \"%1\" cannot be opened: %2")
                 .arg(shownPath, m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                          : QString::fromUtf8(sqlite3_errstr(opened))));
    sqlite3_extended_result_codes(m_handle, 1);
    // Opened read-only already; this also refuses writes to attached files. A connection that
    // does not confirm it is not used.
    char* error = nullptr;
    const int rc = sqlite3_exec(m_handle, "PRAGMA query_only = 1", nullptr, nullptr, &error);
    const QString reason = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    if (rc != SQLITE_OK || !IsQueryOnly(m_handle))
        fail(QString("The attribute database \"%1\" cannot be opened read-only%2")
                 .arg(shownPath, reason.isEmpty() ? QString(".") : ": " + reason));
    // Conditions written for the Access database quote texts in double quotes (the query
    // window's quote button, its layer restriction LAYER="D1"). SQLite reads them as texts
    // only while double-quoted string literals are allowed, which a build may turn off.
    sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    // A user's condition can ask for work without end; no query may hang the viewer.
    sqlite3_progress_handler(m_handle, 10000, &TDatabaseConnection::Progress, this);
    qCInfo(LogDb) << "opened" << m_filePath << "read-only";
}

TDatabaseConnection::~TDatabaseConnection() {
    if (m_handle) {
        // Statements still open would keep the file open; sqlite3_close_v2 closes it once
        // they are finalized.
        sqlite3_close_v2(m_handle);
        qCInfo(LogDb) << "closed" << m_filePath;
    }
}

void TDatabaseConnection::Interrupt() {
    m_interrupted = true;
    sqlite3_interrupt(m_handle);
}

void TDatabaseConnection::StartQueryClock() {
    m_deadline = QDateTime::currentMSecsSinceEpoch() + gQueryTimeLimit.load().count();
}

bool TDatabaseConnection::WasInterrupted() const {
    return m_interrupted;
}

int TDatabaseConnection::Progress(void* self) {
    auto* connection = static_cast<TDatabaseConnection*>(self);
    if (connection->m_interrupted)
        return 1;
    const qint64 deadline = connection->m_deadline;
    return deadline != 0 && QDateTime::currentMSecsSinceEpoch() > deadline ? 1 : 0;
}

void SetQueryTimeLimit(std::chrono::milliseconds limit) {
    gQueryTimeLimit = limit;
}

QString SqlIdentifier(const QString& name) {
    QString quoted = name.trimmed();
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString DatabasePathOf(const QString& connectionString) {
    static const QString key = "Data Source=";
    const int start = connectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (start < 0)
        throw TAMOError("The connection text names no database file (\"Data Source=\" is missing).");
    const int from = start + key.size();
    // The path runs to the closing ";Persist Security Info=False" (a path may hold ";" itself).
    static const QString closing = ";Persist Security Info=False";
    int end = connectionString.endsWith(closing, Qt::CaseInsensitive)
                  ? connectionString.size() - closing.size()
                  : connectionString.indexOf(';', from);
    if (end < from)
        end = connectionString.size();
    const QString path = connectionString.mid(from, end - from).trimmed();
    if (path.isEmpty())
        throw TAMOError("The connection text names no database file.");
    return path;
}

QString ResolveSqlitePath(const QString& connectionString, const QString& cacheFolder) {
    const QString path = DatabasePathOf(connectionString);
    if (!QFileInfo(path).isFile())
        throw TAMOError(QString("The attribute database \"%1\" does not exist.").arg(path));
    switch (DetectDatabaseKind(path)) {
    case TDatabaseKind::SQLite:
        return path;
    case TDatabaseKind::Access: {
        const QString copy = cacheFolder.isEmpty() ? QString() : CachedCopyPath(path, cacheFolder);
        if (copy.isEmpty() || !QFileInfo(copy).isFile())
            throw TAMOError(QString("The Access database \"%1\" has not been imported into the cache folder "
                                    "\"%2\" yet.")
                                .arg(path, cacheFolder));
        return copy;
    }
    case TDatabaseKind::Unknown:
        break;
    }
    throw TAMOError(
        QString(
            "The attribute database \"%1\" is neither an Access nor a SQLite database, or it cannot be read.")
            .arg(path));
}

namespace {
// The one statement of `sql`, prepared: refused when the text holds a second statement or one
// that would write. Raises TDatabaseError with the database's own words.
sqlite3_stmt* PrepareSingleQuery(TDatabaseConnection& connection, const QString& sql) {
    sqlite3* db = connection.Handle();
    const QByteArray text = sql.toUtf8();
    if (text.size() > std::numeric_limits<int>::max())
        throw TDatabaseError("The query text is too long.");
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &statement, &tail) !=
        SQLITE_OK)
        throw TDatabaseError(DatabaseFailure(connection.ConnectionString(), sqlite3_extended_errcode(db),
                                             QString::fromUtf8(sqlite3_errmsg(db))));
    if (!statement)
        throw TDatabaseError("The query text holds no SQL statement.");
    // A second statement after the first one is refused outright: user conditions are joined
    // into these texts, and only the one query that the program means may run.
    if (tail && *tail) {
        sqlite3_stmt* second = nullptr;
        const int rc = sqlite3_prepare_v2(db, tail, -1, &second, nullptr);
        sqlite3_finalize(second);
        if (rc != SQLITE_OK || second) {
            sqlite3_finalize(statement);
            throw TDatabaseError(
                "The query text holds more than one SQL statement; only a single query can be "
                "run: " +
                sql.trimmed());
        }
    }
    if (!sqlite3_stmt_readonly(statement)) {
        sqlite3_finalize(statement);
        throw TDatabaseError("The attribute database is read-only; the statement would change it: " +
                             sql.trimmed());
    }
    return statement;
}
} // namespace

void CheckSingleQuery(TDatabaseConnection& connection, const QString& sql) {
    sqlite3_finalize(PrepareSingleQuery(connection, sql));
}

TDataSet::TDataSet(TDatabaseConnection& connection)
    : m_connectionString(connection.ConnectionString()), m_connection(&connection) {}

TDataSet::TDataSet(const QString& connectionString, const QString& cacheFolder)
    : m_connectionString(connectionString), m_cacheFolder(cacheFolder) {}

TDatabaseConnection& TDataSet::Connection() {
    if (!m_connection) {
        m_ownConnection = std::make_unique<TDatabaseConnection>(m_connectionString, m_cacheFolder);
        m_connection = m_ownConnection.get();
    }
    return *m_connection;
}

TDataSet::~TDataSet() {
    Finalize();
}

void TDataSet::Finalize() {
    if (m_statement) {
        sqlite3_finalize(static_cast<sqlite3_stmt*>(m_statement));
        m_statement = nullptr;
        qCDebug(LogDb).noquote() << QString("query ran %1 ms, %2 rows read: %3")
                                        .arg(m_clock.elapsed())
                                        .arg(m_stepped)
                                        .arg(m_sql.simplified().left(200));
    }
}

void TDataSet::Open(const QString& sql, const TSqlValues& values) {
    Close();
    Connection();
    m_sql = sql;
    m_values = values;
    Execute();
}

void TDataSet::Bind() {
    auto* statement = static_cast<sqlite3_stmt*>(m_statement);
    const int marks = sqlite3_bind_parameter_count(statement);
    if (marks != static_cast<int>(m_values.size()))
        throw TDatabaseError(QString("The query has %1 value marks but %2 values were given: %3")
                                 .arg(marks)
                                 .arg(m_values.size())
                                 .arg(m_sql.trimmed()));
    for (int i = 0; i < marks; ++i) {
        const TSqlValue& value = m_values[static_cast<std::size_t>(i)];
        int rc = SQLITE_OK;
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            rc = sqlite3_bind_int64(statement, i + 1, *integer);
        } else if (const auto* real = std::get_if<double>(&value)) {
            rc = sqlite3_bind_double(statement, i + 1, *real);
        } else {
            const QByteArray text = std::get<QString>(value).toUtf8();
            rc = sqlite3_bind_text64(statement, i + 1, text.constData(),
                                     static_cast<sqlite3_uint64>(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK)
            throw TDatabaseError(DatabaseFailure(m_connectionString, rc,
                                                 QString::fromUtf8(sqlite3_errmsg(m_connection->Handle()))));
    }
}

void TDataSet::Execute() {
    Finalize();
    m_rows.clear();
    m_keeping = false;
    m_firstKept = 0;
    m_fieldNames.clear();
    m_fieldIndex.clear();
    m_active = false;
    m_eof = true;
    m_position = 0;
    m_stepped = 0;
    m_clock.start();
    m_connection->StartQueryClock();

    m_statement = PrepareSingleQuery(*m_connection, m_sql);
    auto* statement = static_cast<sqlite3_stmt*>(m_statement);
    Bind();
    const int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement, i));
        m_fieldNames << name;
    }
    // Walked backwards so that of two equal names the first one wins.
    for (int i = columns - 1; i >= 0; --i)
        m_fieldIndex.insert(m_fieldNames[i].toLower(), i);
    m_active = true;
    m_eof = false;
    Step();
}

void TDataSet::Step() {
    auto* statement = static_cast<sqlite3_stmt*>(m_statement);
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        ++m_stepped;
        return;
    }
    m_eof = true;
    if (rc != SQLITE_DONE) {
        const bool interrupted = (rc & 0xFF) == SQLITE_INTERRUPT;
        const bool cancelled = interrupted && m_connection->WasInterrupted();
        const QString message =
            cancelled ? QString("The query was cancelled.")
            : interrupted
                ? QString("The query took too long and was stopped (after %1 seconds): %2")
                      .arg(double(gQueryTimeLimit.load().count()) / 1000.0)
                      .arg(m_sql.trimmed())
                : DatabaseFailure(m_connectionString, sqlite3_extended_errcode(m_connection->Handle()),
                                  QString::fromUtf8(sqlite3_errmsg(m_connection->Handle())));
        Finalize();
        m_active = false;
        qCInfo(LogDb).noquote() << "query failed:" << message;
        if (cancelled)
            throw TQueryInterrupted(message);
        throw TDatabaseError(message);
    }
}

void TDataSet::Close() {
    Finalize();
    m_rows.clear();
    m_keeping = false;
    m_active = false;
    m_eof = true;
    m_position = 0;
}

bool TDataSet::Active() const {
    return m_active;
}

bool TDataSet::Eof() const {
    return m_eof;
}

void TDataSet::Next() {
    if (m_eof)
        return;
    ++m_position;
    if (m_keeping) {
        m_eof = m_position - m_firstKept >= static_cast<std::int64_t>(m_rows.size());
        return;
    }
    Step();
}

void TDataSet::First() {
    if (!m_active)
        throw TAMOError("The query is not open.");
    if (m_keeping && m_firstKept == 0) {
        m_position = 0;
        m_eof = m_rows.empty();
        return;
    }
    if (m_position != 0)
        Execute();
}

int TDataSet::RecordCount() {
    if (!m_active)
        return 0;
    if (!m_keeping) {
        std::vector<std::vector<TValue>> rows;
        const int columns = FieldCount();
        while (!m_eof) {
            std::vector<TValue> row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int i = 0; i < columns; ++i)
                row.push_back(ValueAt(i));
            rows.push_back(std::move(row));
            Step();
        }
        Finalize();
        m_rows = std::move(rows);
        m_keeping = true;
        m_firstKept = m_position;
        m_eof = m_rows.empty();
    }
    const std::int64_t count = m_firstKept + static_cast<std::int64_t>(m_rows.size());
    if (count > std::numeric_limits<int>::max())
        throw TDatabaseError(QString("The query found %1 rows, more than can be counted.").arg(count));
    return static_cast<int>(count);
}

int TDataSet::FieldCount() const {
    return static_cast<int>(m_fieldNames.size());
}

QString TDataSet::FieldName(int index) const {
    return m_fieldNames.value(index);
}

int TDataSet::FieldIndex(const QString& name) const {
    return m_fieldIndex.value(name.toLower(), -1);
}

void TDataSet::CheckCurrent(int index) const {
    if (!m_active || m_eof)
        throw TAMOError("The query has no current row.");
    if (index < 0 || index >= FieldCount())
        throw TDatabaseError(QString("The query has no field number %1.").arg(index));
}

int TDataSet::RequireField(const QString& name) const {
    const int index = FieldIndex(name);
    if (index < 0)
        throw TDatabaseError(QString("Field '%1' not found").arg(name));
    return index;
}

TDataSet::TValue TDataSet::ValueAt(int index) const {
    CheckCurrent(index);
    if (m_keeping)
        return m_rows[static_cast<std::size_t>(m_position - m_firstKept)][static_cast<std::size_t>(index)];
    auto* statement = static_cast<sqlite3_stmt*>(m_statement);
    TValue value;
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
        value.Kind = TValueKind::Integer;
        value.Integer = sqlite3_column_int64(statement, index);
        break;
    case SQLITE_FLOAT:
        value.Kind = TValueKind::Real;
        value.Real = sqlite3_column_double(statement, index);
        break;
    case SQLITE_NULL:
        break;
    default: {
        value.Kind = TValueKind::Text;
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        value.Text = QString::fromUtf8(bytes, sqlite3_column_bytes(statement, index));
        break;
    }
    }
    return value;
}

QString TDataSet::AsString(int index) const {
    const TValue value = ValueAt(index);
    switch (value.Kind) {
    case TValueKind::Integer:
        return QString::number(value.Integer);
    case TValueKind::Real:
        return RealText(value.Real);
    case TValueKind::Text:
        return value.Text;
    case TValueKind::Null:
        break;
    }
    return QString();
}

QString TDataSet::AsString(const QString& name) const {
    return AsString(RequireField(name));
}

int TDataSet::AsInteger(int index) const {
    const TValue value = ValueAt(index);
    switch (value.Kind) {
    case TValueKind::Integer:
        if (value.Integer < std::numeric_limits<int>::min() ||
            value.Integer > std::numeric_limits<int>::max())
            throw TDatabaseError(
                QString("The value %1 of field '%2' is beyond the range of a 32-bit whole number")
                    .arg(value.Integer)
                    .arg(FieldName(index)));
        return static_cast<int>(value.Integer);
    case TValueKind::Real: {
        int number = 0;
        if (!RoundsToInt(value.Real, number))
            throw TDatabaseError(
                QString("The value %1 of field '%2' is beyond the range of a 32-bit whole number")
                    .arg(RealText(value.Real), FieldName(index)));
        return number;
    }
    case TValueKind::Text: {
        bool ok = false;
        const int number = value.Text.trimmed().toInt(&ok);
        if (ok)
            return number;
        const double real = value.Text.trimmed().toDouble(&ok);
        int rounded = 0;
        if (ok && RoundsToInt(real, rounded))
            return rounded;
        throw TDatabaseError(QString("'%1' is not a valid integer value").arg(value.Text));
    }
    case TValueKind::Null:
        break;
    }
    return 0;
}

int TDataSet::AsInteger(const QString& name) const {
    return AsInteger(RequireField(name));
}

double TDataSet::AsFloat(const QString& name) const {
    const TValue value = ValueAt(RequireField(name));
    switch (value.Kind) {
    case TValueKind::Integer:
        return static_cast<double>(value.Integer);
    case TValueKind::Real:
        return value.Real;
    case TValueKind::Text: {
        bool ok = false;
        const double real = value.Text.trimmed().toDouble(&ok);
        if (ok && !std::isnan(real))
            return real;
        throw TDatabaseError(QString("'%1' is not a valid floating point value").arg(value.Text));
    }
    case TValueKind::Null:
        break;
    }
    return 0;
}

std::optional<double> TDataSet::AsNumber(int index) const {
    const TValue value = ValueAt(index);
    switch (value.Kind) {
    case TValueKind::Integer:
        return static_cast<double>(value.Integer);
    case TValueKind::Real:
        return value.Real;
    case TValueKind::Text: {
        bool ok = false;
        const double real = value.Text.trimmed().toDouble(&ok);
        if (ok && !std::isnan(real))
            return real;
        break;
    }
    case TValueKind::Null:
        break;
    }
    return std::nullopt;
}

bool TDataSet::AsBoolean(const QString& name) const {
    const TValue value = ValueAt(RequireField(name));
    switch (value.Kind) {
    case TValueKind::Integer:
        return value.Integer != 0;
    case TValueKind::Real:
        return value.Real != 0;
    case TValueKind::Text: {
        const QString text = value.Text.trimmed().toLower();
        if (text == "true" || text == "yes")
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok && !std::isnan(number) && number != 0;
    }
    case TValueKind::Null:
        break;
    }
    return false;
}
