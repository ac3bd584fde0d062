#include "db/TAMO.h"

#include "db/DataAccess.h"

#include <cmath>

namespace {

// Closes the shared query object however the operation ends.
class TCloseOnExit {
public:
    explicit TCloseOnExit(TDataSet& dataSet) : m_dataSet(dataSet) {}
    ~TCloseOnExit() { m_dataSet.Close(); }

private:
    TDataSet& m_dataSet;
};

double ToFloat(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    // "nan" and "inf" read as numbers but have no figures to format.
    if (!ok || !std::isfinite(value))
        throw TAMOError(QString("'%1' is not a valid floating point value").arg(text));
    return value;
}

QString FormatFixed(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    // A small negative number rounds to zero; a user expects "0", not "-0".
    if (text.startsWith('-') && text.mid(1).remove('0').remove('.').isEmpty())
        text.remove(0, 1);
    return text;
}

bool IsBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// A whole number below zero, written as an integer ("-9") or with a fraction of zeros ("-9.0"),
// as a source that keeps every number as a real gives it.
bool IsWholeBelowZero(const QString& text) {
    const qsizetype point = text.indexOf('.');
    if (point >= 0) {
        const QString fraction = text.mid(point + 1);
        if (fraction.isEmpty() || fraction.count('0') != fraction.size())
            return false;
    }
    bool whole = false;
    const qlonglong number = (point < 0 ? text : text.left(point)).toLongLong(&whole);
    return whole && number < 0;
}

} // namespace

TTAMO::TTAMO(const QString& connectionString, const QString& cacheFolder)
    : m_connectionString(connectionString), m_cacheFolder(cacheFolder),
      m_connection(std::make_unique<TDatabaseConnection>(connectionString, cacheFolder)),
      m_layerMeta(std::make_unique<TMetaData>()), m_smuMeta(std::make_unique<TSMUMetaData>()),
      m_dataSet(std::make_unique<TDataSet>(*m_connection)), m_wrbIndex(std::make_unique<TIntIntList>()) {
    LoadMetaData(*m_layerMeta, "SELECT * from  TAMO2_LAYERS_METADATA order by ID",
                 TDomainNamed::WhenNotEmpty);
    LoadMetaData(*m_smuMeta, "SELECT * from  TAMO2_SMU_METADATA order by ID", TDomainNamed::WhenNotBlank);
    m_selectionActive = false;
}

TTAMO::~TTAMO() = default;

template <int N> void TTAMO::LoadMetaData(TFieldMetaData<N>& meta, const QString& sql, TDomainNamed named) {
    TDataSet query(*m_connection);
    query.Open(sql);
    // Rows beyond the capacity describe nothing the program shows.
    for (int i = 0; !query.Eof() && i < N; query.Next(), ++i) {
        meta.FieldNames[i] = query.AsString("Field");
        meta.Domains[i] = query.AsString("Domain");
        meta.Units[i] = " " + query.AsString("Unit");
        meta.Descriptions[i] = " " + query.AsString("Description");
        const bool hasDomain =
            named == TDomainNamed::WhenNotBlank ? !IsBlank(meta.Domains[i]) : !meta.Domains[i].isEmpty();
        if (hasDomain)
            meta.DomainLists[i] = LoadDomain(meta.Domains[i]);
    }
}

std::unique_ptr<TIntStrList> TTAMO::LoadDomain(const QString& table) {
    auto list = std::make_unique<TIntStrList>();
    TDataSet query(*m_connection);
    // The name comes from a metadata cell: quoted, it can only ever name a table.
    query.Open("SELECT * from " + SqlIdentifier(table) + " order by Code");
    for (; !query.Eof(); query.Next())
        list->Add({query.AsString("Code").trimmed(), query.AsString("Value")});
    return list;
}

bool TTAMO::BuildWrbIndex() {
    m_wrbIndex = std::make_unique<TIntIntList>();
    struct TFinish {
        TTAMO& Self;
        ~TFinish() {
            Self.m_dataSet->Close();
            Self.m_wrbIndex->Sort();
            Self.IndexChanged();
        }
    } finish{*this};
    m_dataSet->Open("SELECT TAMO2_SMU_ID, WRB2_Code FROM TAMO2_SMU");
    const int idField = m_dataSet->FieldIndex("TAMO2_SMU_ID");
    const int codeField = m_dataSet->FieldIndex("WRB2_CODE");
    if (idField < 0 || codeField < 0)
        throw TDatabaseError(QString("Field '%1' not found").arg(idField < 0 ? "TAMO2_SMU_ID" : "WRB2_CODE"));
    for (; !m_dataSet->Eof(); m_dataSet->Next())
        m_wrbIndex->Add(m_dataSet->AsInteger(idField), m_dataSet->AsInteger(codeField));
    return true;
}

int TTAMO::WrbCodeOf(int smuId) const {
    int index = 0;
    // An id that the index does not hold has no code (the map draws it white).
    if (!m_wrbIndex->Find(smuId, index))
        return kNoWrbCode;
    return m_wrbIndex->Get(index).Value;
}

bool TTAMO::IsSelected(int smuId) const {
    int index = 0;
    return m_selectionActive && m_selection.Find(smuId, index);
}

bool TTAMO::FetchLayers(int smuId) {
    m_layers.clear();
    if (smuId == 0) {
        T_SU_Record record;
        record.Count = 1;
        record.Values.fill("-");
        m_layers.push_back(record);
        return true;
    }
    TCloseOnExit close(*m_dataSet);
    m_dataSet->Open("SELECT * FROM TAMO2_LAYERS WHERE TAMO2_SMU_ID = ? order by SEQUENCE, LAYER",
                    {std::int64_t(smuId)});
    const int count = m_dataSet->RecordCount();
    if (count == 0)
        return false;
    std::array<int, kLayerFieldCount> fields{};
    for (int i = 0; i < kLayerFieldCount; ++i) {
        const QString name = m_layerMeta->FieldNames[i].trimmed();
        fields[i] = m_dataSet->FieldIndex(name);
        if (fields[i] < 0)
            throw TDatabaseError(QString("Field '%1' not found").arg(name));
    }
    m_dataSet->First();
    std::vector<T_SU_Record> layers;
    layers.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count && !m_dataSet->Eof(); ++row, m_dataSet->Next()) {
        T_SU_Record record;
        record.Count = count;
        for (int i = 0; i < kLayerFieldCount; ++i)
            record.Values[i] = m_dataSet->AsString(fields[i]);
        layers.push_back(std::move(record));
    }
    m_layers = std::move(layers);
    return true;
}

bool TTAMO::FetchSmu(int smuId) {
    TCloseOnExit close(*m_dataSet);
    m_dataSet->Open("SELECT * FROM TAMO2_SMU WHERE TAMO2_SMU_ID = ?", {std::int64_t(smuId)});
    if (!m_dataSet->Eof()) {
        std::array<QString, kSmuFieldCount> values;
        for (int i = 0; i < kSmuFieldCount; ++i)
            values[i] = m_dataSet->AsString(i);
        m_smuValues = values;
    }
    return true;
}

QString TTAMO::SmuFieldText(int column, TDecode decode, TNumberFormat number) const {
    return SmuFieldText(m_smuValues, column, decode, number);
}

QString TTAMO::SmuFieldText(const std::array<QString, kSmuFieldCount>& values, int column, TDecode decode,
                            TNumberFormat number) const {
    if (column < 0 || column >= kSmuFieldCount)
        throw TAMOError(QString("There is no SMU field number %1.").arg(column));
    const QString& s = values[column];
    if (s == "-" || IsBlank(s))
        return "-";
    if (decode == TDecode::Yes && m_smuMeta->DomainLists[column])
        return DecodeDomain(m_smuMeta->DomainLists[column].get(), s);
    if (number == TNumberFormat::Yes)
        return FormatFixed(ToFloat(s), 2);
    return s;
}

QString TTAMO::LayerFieldText(int attribute, int record, TLayerKind kind, TDecode decode) const {
    if (attribute < 0 || attribute >= kLayerFieldCount)
        throw TAMOError(QString("There is no layer field number %1.").arg(attribute));
    if (record < 1 || record > static_cast<int>(m_layers.size()))
        throw TAMOError(QString("There is no layer record number %1.").arg(record));
    return LayerFieldText(m_layers[static_cast<std::size_t>(record - 1)], attribute, kind, decode);
}

QString TTAMO::LayerFieldText(const T_SU_Record& record, int attribute, TLayerKind kind,
                              TDecode decode) const {
    if (attribute < 0 || attribute >= kLayerFieldCount)
        throw TAMOError(QString("There is no layer field number %1.").arg(attribute));
    const QString s = record.Values[attribute].trimmed();
    if (s == "-" || s.isEmpty())
        return "-";
    if (decode == TDecode::Yes && m_layerMeta->DomainLists[attribute])
        return DecodeDomain(m_layerMeta->DomainLists[attribute].get(), s);
    if (IsWholeBelowZero(s))
        return "N.A";
    switch (kind) {
    case TLayerKind::AsText:
        return s;
    case TLayerKind::Decimals0:
    case TLayerKind::Decimals1:
    case TLayerKind::Decimals2:
        return FormatFixed(ToFloat(s), static_cast<int>(kind));
    }
    return s;
}

QString TTAMO::DecodeDomain(const TIntStrList* list, const QString& code) {
    if (IsBlank(code))
        return QString();
    int index = 0;
    if (list && list->IndexOf(code, index)) {
        TIntStrItem item;
        list->Get(index, item);
        return item.Value;
    }
    return "xxxx";
}

TIntList FindSmus(TDatabaseConnection& connection, const QString& table, const QString& condition) {
    TIntList found;
    TDataSet query(connection);
    try {
        // The table is the program's choice and goes in as a name; the condition is the user's own
        // text, which the data-access layer runs only as one statement that reads.
        query.Open("select * from " + SqlIdentifier(table) + " where " + condition);
        const int idField = query.FieldIndex("TAMO2_SMU_ID");
        if (idField < 0)
            throw TDatabaseError("Field 'TAMO2_SMU_ID' not found");
        for (; !query.Eof(); query.Next())
            found.Add(query.AsInteger(idField));
    } catch (const TQueryInterrupted&) {
        throw;
    } catch (const TDatabaseError& error) {
        // Raised again as a general error with the database's own message.
        throw TAMOError(error.Message());
    }
    found.Sort();
    return found;
}

bool TTAMO::SelectSmus(const QString& table, const QString& condition, int& count) {
    // Collected apart, so that a condition the database rejects leaves the selection shown so far.
    SetSelection(FindSmus(*m_connection, table, condition));
    count = m_selection.Count();
    return true;
}

void TTAMO::SetSelection(TIntList ids) {
    m_selection = std::move(ids);
    m_selectionActive = true;
}
