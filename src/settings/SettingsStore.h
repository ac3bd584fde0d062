#pragma once
// The per-user settings store: a tree of keys holding typed values (32-bit integers and texts),
// kept in one JSON file. Key and value names are matched without regard to case.

#include "common/TAMOError.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

class QJsonObject;

// Other: a value in the file that is neither a 32-bit integer nor a text (kept, never read).
enum class TValueType { None, Integer, Text, Other };
enum class TKeyAccess { OpenExisting, CreateIfMissing };

// What became of the store's file when it was read.
enum class TStoreFile {
    Missing, // no file yet: defaults, and the first save creates it
    Read,    // read and in use
    // Not a settings file (damaged content, a named pipe or other special file, a link to nothing):
    // never opened for reading, set aside under a numbered ".bad" name (at once, or at the next
    // save when it could not be moved then).
    Damaged,
    Unreadable, // exists but cannot be read: left where it is and never written over
};

// The whole store of one user, loaded from its file on first use. Changes are written back
// atomically (never a half-written file) when a writing session ends, once per session: a
// TSettingsBatch makes several sessions one write.
class TSettingsStore {
public:
    struct TKeyNode;
    class TBatch;

    explicit TSettingsStore(QString filePath);
    ~TSettingsStore();

    // The store of this program run: $XDG_CONFIG_HOME/TAMO/settings.json.
    static TSettingsStore& Global();
    static QString DefaultFilePath();

    QString FilePath() const { return m_filePath; }
    // Points the store at another file and reads it (tests use a file of their own).
    void Reset(const QString& filePath);
    // Forget what is in memory and read the file again (tests, and a store whose file changed).
    void Reload();
    // Write the tree to the file if it changed since the last save (at the end of the outermost
    // batch, when one is open). Failures are silent.
    void Save();
    // How the file was found when it was last read (a later save does not change it).
    TStoreFile FileState();
    // Where a damaged file was set aside; empty when it was not (yet).
    QString SetAsideAs();
    // The name under which a damaged file is kept: "<file>.bad", else "<file>.N.bad" with the
    // first free N from 2 on, so that no earlier damaged file is replaced.
    static QString FreeDamagedName(const QString& filePath);

    TKeyNode* FindKey(const QString& path);
    TKeyNode* CreateKey(const QString& path);
    // Removes the key with everything below it; false when there is no such key.
    bool DeleteKey(const QString& path);
    void MarkChanged() { m_changed = true; }

private:
    void EnsureLoaded();
    void ReadFile();
    static QStringList SplitPath(const QString& path);

    void WriteFile();
    bool SetAside();

    QString m_filePath;
    std::unique_ptr<TKeyNode> m_root;
    bool m_loaded = false;
    bool m_changed = false;
    TStoreFile m_fileState = TStoreFile::Missing;  // the file now, as the next save must treat it
    TStoreFile m_foundState = TStoreFile::Missing; // the file as it was read
    QString m_setAsideAs;
    int m_batchDepth = 0;
};

// What the user is told once at start when the settings file could not be used: that the
// defaults are in use, and where the old file was kept. Nothing when the file was read or was
// not there yet.
std::optional<QString> SettingsFileNotice(TSettingsStore& store);

// Holds the store's writes back while it lives; the store is written once when the outermost
// batch ends (the frame saves its placement, preferences and toolbars in one write).
class TSettingsStore::TBatch {
public:
    explicit TBatch(TSettingsStore& store);
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

private:
    TSettingsStore& m_store;
};
using TSettingsBatch = TSettingsStore::TBatch;

// A session on the store in the manner of a registry: open one key, read and write its values.
// Reads of a missing value or of a value of another type throw TSettingsError. What the session
// changed is written when it ends (CloseKey or the end of the object), not at every key it opens.
class TRegistry {
public:
    explicit TRegistry(TSettingsStore& store);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool KeyExists(const QString& path) const;
    bool OpenKey(const QString& path, TKeyAccess access);
    void CloseKey();

    bool ValueExists(const QString& name) const;
    TValueType ValueType(const QString& name) const;
    QStringList ValueNames() const;
    QStringList SubKeyNames() const;

    int ReadInteger(const QString& name) const;
    bool ReadBool(const QString& name) const;
    QString ReadString(const QString& name) const;

    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    // Removes the value (of any type) from the open key; false when the key holds none of that name.
    bool DeleteValue(const QString& name);

private:
    TSettingsStore& m_store;
    TSettingsStore::TKeyNode* m_key = nullptr;
};

// A settings read that found no value, or a value of another type. The readers of the settings
// catch it and use their defaults; one that escapes reaches the error guard like any other error.
class TSettingsError : public TAMOError {
public:
    using TAMOError::TAMOError;
};
