#include "query/SmuQuery.h"

#include "db/DataAccess.h"
#include "db/TAMO.h"

TSmuQuery::TSmuQuery(const QString& connectionString, const QString& cacheFolder)
    : m_connection(std::make_unique<TDatabaseConnection>(connectionString, cacheFolder)) {}

TSmuQuery::~TSmuQuery() = default;

TIntList TSmuQuery::Run(TQueryTable table, const QString& condition) {
    if (table == TQueryTable::Layers) {
        // Alone, a condition such as "1=1) OR (1=1" is no statement at all: refused here before
        // it could close the brackets it is put in.
        try {
            CheckSingleQuery(*m_connection, "SELECT rowid FROM TAMO2_LAYERS WHERE " + condition);
        } catch (const TDatabaseError& error) {
            throw TAMOError(error.Message());
        }
    }
    return FindSmus(*m_connection, QueryTableName(table), QueryCondition(table, condition));
}

void TSmuQuery::Cancel() {
    m_connection->Interrupt();
}
