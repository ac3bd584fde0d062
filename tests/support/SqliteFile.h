#pragma once
// A SQLite file opened by a test through the C API: to write fixtures and to read back what the
// program wrote, apart from the program's own read-only connection.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <sqlite3.h>
#include <vector>

class TSqliteFile {
public:
    enum class TMode { ReadWrite, ReadOnly };
    explicit TSqliteFile(const QString& path, TMode mode = TMode::ReadWrite) {
        const int flags =
            mode == TMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK)
            m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString("cannot open ") + path;
    }
    ~TSqliteFile() { sqlite3_close_v2(m_db); }
    TSqliteFile(const TSqliteFile&) = delete;
    TSqliteFile& operator=(const TSqliteFile&) = delete;

    bool Ok() const { return m_error.isEmpty(); }
    // The error of the last failure: the database's own words.
    const QString& Error() const { return m_error; }

    // Runs statements in one transaction; false (and Error) at the first that fails.
    bool Exec(const QStringList& statements) {
        if (!Ok() || !ExecOne("BEGIN"))
            return false;
        for (const QString& sql : statements)
            if (!ExecOne(sql)) {
                m_error = sql + ": " + m_error;
                ExecOne("ROLLBACK");
                return false;
            }
        return ExecOne("COMMIT");
    }
    // Runs one statement on its own (outside a transaction, as ATTACH must be).
    bool Exec(const QString& sql) { return Ok() && ExecOne(sql); }

    // Every row of a query, its values as texts (a real in its shortest form, NULL as an empty
    // text); empty on an error.
    std::vector<QStringList> Rows(const QString& sql) {
        std::vector<QStringList> rows;
        sqlite3_stmt* statement = Prepare(sql);
        if (!statement)
            return rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                row << (sqlite3_column_type(statement, i) == SQLITE_FLOAT
                            ? QString::number(sqlite3_column_double(statement, i), 'g',
                                              QLocale::FloatingPointShortest)
                            : QString::fromUtf8(
                                  reinterpret_cast<const char*>(sqlite3_column_text(statement, i))));
            rows.push_back(row);
        }
        sqlite3_finalize(statement);
        return rows;
    }
    // The first value of the first row; "error: ..." when the query fails.
    QString Scalar(const QString& sql) {
        const auto rows = Rows(sql);
        if (!Ok())
            return "error: " + m_error;
        return rows.empty() || rows[0].isEmpty() ? QString() : rows[0][0];
    }
    // The column names of a query's result.
    QStringList Columns(const QString& sql) {
        QStringList names;
        if (sqlite3_stmt* statement = Prepare(sql)) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                names << QString::fromUtf8(sqlite3_column_name(statement, i));
            sqlite3_finalize(statement);
        }
        return names;
    }

private:
    bool ExecOne(const QString& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK)
            return true;
        m_error = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        return false;
    }
    sqlite3_stmt* Prepare(const QString& sql) {
        if (!m_db)
            return nullptr;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return nullptr;
        }
        m_error.clear();
        return statement;
    }

    sqlite3* m_db = nullptr;
    QString m_error;
};
