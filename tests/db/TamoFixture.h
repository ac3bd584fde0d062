#pragma once
// Small SQLite attribute databases written by the tests themselves.

#include "settings/Preferences.h"

#include "SqliteFile.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Runs SQL statements on a writable connection of the test's own, closed afterwards.
inline void ExecSql(const QString& path, const QStringList& statements) {
    TSqliteFile db(path);
    ASSERT_TRUE(db.Exec(statements)) << db.Error().toStdString();
}

// Runs the statements of a SQL file (one per line ending in ";"; lines of "--" are comments).
inline void ExecSqlFile(const QString& path, const QString& sqlFile) {
    QFile file(sqlFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << sqlFile.toStdString();
    QStringList statements;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
        if (!line.startsWith("--") && !line.trimmed().isEmpty())
            statements << line.trimmed().chopped(line.trimmed().endsWith(';') ? 1 : 0);
    ExecSql(path, statements);
}

inline QString ScalarSql(const QString& path, const QString& sql) {
    TSqliteFile db(path, TSqliteFile::TMode::ReadOnly);
    return db.Scalar(sql);
}

// The layer attribute names of the fixture: SEQUENCE, LAYER, TEXTURE (coded), PH, OC, A5 .. A46.
inline QStringList FixtureLayerFields() {
    QStringList names{"SEQUENCE", "LAYER", "TEXTURE", "PH", "OC"};
    for (int i = 5; i < 47; ++i)
        names << QString("A%1").arg(i);
    return names;
}

// SMU columns: TAMO2_SMU_ID, WRB2_Code, NAME, SHARE, C4 .. C8, WRB (coded, column 9), C10 .. C22.
inline QStringList FixtureSmuFields() {
    QStringList names{"TAMO2_SMU_ID", "WRB2_Code", "NAME", "SHARE"};
    for (int i = 4; i < 9; ++i)
        names << QString("C%1").arg(i);
    names << "WRB";
    for (int i = 10; i < 23; ++i)
        names << QString("C%1").arg(i);
    return names;
}

// Writes the soil tables: 23 SMU columns and 47 layer attributes with their metadata, two
// domain tables, four units (10, 11, 20, 40; 30 has no SMU row) and layer rows for 10 and 20.
inline void WriteSoilTables(const QString& path) {
    QStringList sql;
    const QStringList smuFields = FixtureSmuFields();
    const QStringList layerFields = FixtureLayerFields();
    QStringList smuColumns;
    for (const QString& f : smuFields)
        smuColumns << f + (f == "TAMO2_SMU_ID" || f == "WRB2_Code" ? " INTEGER"
                                                                   : (f == "SHARE" ? " REAL" : " TEXT"));
    sql << "CREATE TABLE TAMO2_SMU (" + smuColumns.join(", ") + ")";
    QStringList layerColumns{"TAMO2_SMU_ID INTEGER"};
    for (const QString& f : layerFields)
        layerColumns << f + " TEXT";
    sql << "CREATE TABLE TAMO2_LAYERS (" + layerColumns.join(", ") + ")";
    for (const QString table : {"TAMO2_SMU_METADATA", "TAMO2_LAYERS_METADATA"})
        sql << QString("CREATE TABLE %1 (ID INTEGER, Field TEXT, Domain TEXT, Unit TEXT, Description TEXT)")
                   .arg(table);
    // Written in reverse so that only "order by ID" gives the column order.
    for (int i = smuFields.size() - 1; i >= 0; --i) {
        const QString domain = i == 9 ? "D_WRB" : (i == 10 ? "   " : "");
        sql << QString("INSERT INTO TAMO2_SMU_METADATA VALUES (%1, '%2', '%3', 'u%1', 'SMU field %1')")
                   .arg(i + 1)
                   .arg(smuFields[i], domain);
    }
    for (int i = layerFields.size() - 1; i >= 0; --i) {
        const QString domain = layerFields[i] == "TEXTURE" ? "D_TEXTURE" : "";
        sql << QString(
                   "INSERT INTO TAMO2_LAYERS_METADATA VALUES (%1, '%2', '%3', 'cm', 'Layer attribute %1')")
                   .arg(i + 1)
                   .arg(layerFields[i], domain);
    }
    sql << "CREATE TABLE D_WRB (Code TEXT, Value TEXT)"
        << "INSERT INTO D_WRB VALUES ('AC', 'Acrisols'), ('FL  ', 'Fluvisols'), ('ac', 'lower case')"
        << "CREATE TABLE D_TEXTURE (Code INTEGER, Value TEXT)"
        << "INSERT INTO D_TEXTURE VALUES (2, 'Medium'), (1, 'Coarse')";

    const auto smuRow = [&](int id, int code, const QString& wrb, const QString& c4) {
        QStringList values{QString::number(id),
                           QString::number(code),
                           "'Unit " + QString::number(id) + "'",
                           "12.346",
                           "'" + c4 + "'",
                           "''",
                           "'   '",
                           "NULL",
                           "'x'",
                           "'" + wrb + "'"};
        for (int i = 10; i < 23; ++i)
            values << QString("'v%1'").arg(i);
        return "INSERT INTO TAMO2_SMU VALUES (" + values.join(", ") + ")";
    };
    sql << smuRow(40, 400, "FL", "-") << smuRow(10, 100, "AC", "-") << smuRow(11, 110, "AC ", "a")
        << smuRow(20, 200, "ZZ", "b");

    // Layer rows of unit 10 in scrambled order; the program orders them by SEQUENCE, LAYER.
    const auto layerRow = [&](int id, int sequence, int layer, const QString& texture, const QString& ph,
                              const QString& oc, const QString& a5) {
        QStringList values{QString::number(id),    QString::number(sequence),
                           QString::number(layer), "'" + texture + "'",
                           "'" + ph + "'",         "'" + oc + "'",
                           "'" + a5 + "'"};
        for (int i = 6; i < 47; ++i)
            values << (i == 6 ? "'-'" : (i == 7 ? "'abc'" : QString("'%1'").arg(i)));
        return "INSERT INTO TAMO2_LAYERS VALUES (" + values.join(", ") + ")";
    };
    sql << layerRow(10, 2, 1, "1", "6.5", "1.04", "   ") << layerRow(10, 1, 2, "2", "-9", "-2.47", "")
        << layerRow(10, 1, 1, "9", "7", "0.5", "3") << layerRow(20, 1, 1, "1", "5.55", "-0.04", "x");
    ExecSql(path, sql);
}

// A temporary folder holding a fresh fixture database, and its connection text.
class TSoilDatabase {
public:
    TSoilDatabase() { WriteSoilTables(Path()); }
    QString Path() const { return m_folder.path() + "/TAMO2.sqlite"; }
    QString ConnectionString() const { return BuildConnectionString(Path()); }
    QString Folder() const { return m_folder.path() + "/"; }

private:
    QTemporaryDir m_folder;
};
