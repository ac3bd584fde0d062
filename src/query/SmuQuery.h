#pragma once
// A selection of soil mapping units by the query window's condition, run on a database connection
// of its own: it can run apart from the user-interface thread, and Cancel (from any thread)
// interrupts it. It stops by itself after the query time limit.

#include "db/IntList.h"
#include "query/QueryText.h"

#include <QString>
#include <memory>

class TDatabaseConnection;

class TSmuQuery {
public:
    // Opens the connection (an Access database is read through its copy in `cacheFolder`).
    TSmuQuery(const QString& connectionString, const QString& cacheFolder);
    ~TSmuQuery();
    TSmuQuery(const TSmuQuery&) = delete;
    TSmuQuery& operator=(const TSmuQuery&) = delete;

    // The SMU ids that the user's condition selects in the table, sorted. In the layer table the
    // condition must be a whole condition by itself, so that it cannot reach past its brackets.
    // Raises TAMOError with the database's message, TQueryInterrupted after Cancel.
    TIntList Run(TQueryTable table, const QString& condition);
    void Cancel();

private:
    std::unique_ptr<TDatabaseConnection> m_connection;
};
