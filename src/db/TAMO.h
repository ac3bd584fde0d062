#pragma once
// TTAMO: the one object through which the program reads the attribute database: field metadata
// with their domain tables, the SMU to WRB2 code index that colours the map, the current SMU and
// its layer records, and the query selection that map windows highlight.

#include "db/IntIntList.h"
#include "db/IntList.h"
#include "db/IntStrList.h"
#include "db/SmuLookup.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

class TDataSet;
class TDatabaseConnection;

inline constexpr int kSmuFieldCount = 23;
inline constexpr int kLayerFieldCount = 47;

// Description of N fields: names, units and descriptions (both with a leading blank, as stored),
// domain table names and the loaded domain tables (none where no domain is named).
template <int N> struct TFieldMetaData {
    std::array<QString, N> FieldNames;
    std::array<QString, N> Units;
    std::array<QString, N> Descriptions;
    std::array<QString, N> Domains;
    std::array<std::unique_ptr<TIntStrList>, N> DomainLists;
};

// The 47 attributes of the layer table.
struct TMetaData : TFieldMetaData<kLayerFieldCount> {};
// The 23 columns of the SMU table.
struct TSMUMetaData : TFieldMetaData<kSmuFieldCount> {};

// One row of the layer table: its 47 attribute texts, and the number of rows of the lookup that
// produced it.
struct T_SU_Record {
    int Count = 0;
    std::array<QString, kLayerFieldCount> Values;
};

// How LayerFieldText formats a number: 0, 1 or 2 decimals, or the text unchanged.
enum class TLayerKind { Decimals0 = 0, Decimals1 = 1, Decimals2 = 2, AsText = 9 };
enum class TDecode { No, Yes };
enum class TNumberFormat { No, Yes };

// The SMU ids that "select * from " + table + " where " + condition finds on `connection`
// (the table quoted as a name), sorted. Errors of the database come back as TAMOError with its
// message; a query stopped by TDatabaseConnection::Interrupt as TQueryInterrupted.
TIntList FindSmus(TDatabaseConnection& connection, const QString& table, const QString& condition);

class TTAMO : public TSmuLookup {
public:
    // Opens its connection to the database that the connection text names (an Access file is read
    // through its imported copy in `cacheFolder`) and loads the layer metadata, then the SMU
    // metadata, with their domain tables.
    explicit TTAMO(const QString& connectionString, const QString& cacheFolder = {});
    ~TTAMO() override;
    TTAMO(const TTAMO&) = delete;
    TTAMO& operator=(const TTAMO&) = delete;

    bool BuildWrbIndex();
    // kNoWrbCode for an id that the index does not hold.
    int WrbCodeOf(int smuId) const override;
    bool IsSelected(int smuId) const override;

    // False when the unit has no layer rows; id 0 gives one record of "-" values.
    bool FetchLayers(int smuId);
    // Without an SMU row the texts of the previous unit stay.
    bool FetchSmu(int smuId);

    QString SmuFieldText(int column, TDecode decode, TNumberFormat number) const;
    // `record` counts from 1.
    QString LayerFieldText(int attribute, int record, TLayerKind kind, TDecode decode) const;
    // The same texts for an SMU row or a layer record that a window keeps: the object's own are
    // replaced by the next unit fetched, by whichever window asks for it.
    QString SmuFieldText(const std::array<QString, kSmuFieldCount>& values, int column, TDecode decode,
                         TNumberFormat number) const;
    QString LayerFieldText(const T_SU_Record& record, int attribute, TLayerKind kind, TDecode decode) const;
    static QString DecodeDomain(const TIntStrList* list, const QString& code);

    // Runs "select * from " + table + " where " + condition (the table quoted as a name) and keeps
    // the SMU ids found as the selection, sorted. Errors of the database come back as TAMOError
    // with its message.
    bool SelectSmus(const QString& table, const QString& condition, int& count);
    // Makes `ids` (sorted) the active selection, as SelectSmus does with the ids it found.
    void SetSelection(TIntList ids);

    const QString& ConnectionString() const { return m_connectionString; }
    const std::array<QString, kSmuFieldCount>& SmuValues() const { return m_smuValues; }
    const std::vector<T_SU_Record>& Layers() const { return m_layers; }
    const TMetaData& LayerMeta() const { return *m_layerMeta; }
    const TSMUMetaData& SmuMeta() const { return *m_smuMeta; }
    const TIntIntList& WrbIndex() const { return *m_wrbIndex; }
    const TIntList& Selection() const { return m_selection; }
    const QString& CacheFolder() const { return m_cacheFolder; }
    bool SelectionActive() const { return m_selectionActive; }
    void SetSelectionActive(bool active) { m_selectionActive = active; }

private:
    // When a metadata row names a domain table: its Domain cell is not empty (layers), or not blank
    // after trimming (SMU columns).
    enum class TDomainNamed { WhenNotEmpty, WhenNotBlank };
    template <int N> void LoadMetaData(TFieldMetaData<N>& meta, const QString& sql, TDomainNamed named);
    std::unique_ptr<TIntStrList> LoadDomain(const QString& table);

    QString m_connectionString;
    QString m_cacheFolder;
    std::unique_ptr<TDatabaseConnection> m_connection;
    std::array<QString, kSmuFieldCount> m_smuValues;
    std::vector<T_SU_Record> m_layers;
    std::unique_ptr<TMetaData> m_layerMeta;
    std::unique_ptr<TSMUMetaData> m_smuMeta;
    std::unique_ptr<TDataSet> m_dataSet;
    std::unique_ptr<TIntIntList> m_wrbIndex;
    bool m_selectionActive = false;
    TIntList m_selection;
};
