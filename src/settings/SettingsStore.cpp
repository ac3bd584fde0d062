#include "settings/SettingsStore.h"

#include "common/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {
// Key and value names are compared without regard to case; the index is keyed by this form.
QString Folded(const QString& name) {
    return name.toCaseFolded();
}
} // namespace

// Children and values keep the order in which they came (the order they are written back in);
// an index by folded name finds them in constant time, so that a key with a hundred thousand
// entries loads in linear time.
struct TSettingsStore::TKeyNode {
    using TValue = std::variant<int, QString, QJsonValue>;

    QString Name;
    std::vector<std::unique_ptr<TKeyNode>> Children;
    std::vector<std::pair<QString, TValue>> Values;
    QHash<QString, std::size_t> ChildIndex;
    QHash<QString, std::size_t> ValueIndex;

    TKeyNode* Child(const QString& name) {
        const auto it = ChildIndex.constFind(Folded(name));
        return it == ChildIndex.constEnd() ? nullptr : Children[*it].get();
    }
    TKeyNode* AddChild(const QString& name) {
        ChildIndex.insert(Folded(name), Children.size());
        Children.push_back(std::make_unique<TKeyNode>());
        Children.back()->Name = name;
        return Children.back().get();
    }
    const std::pair<QString, TValue>* FindValue(const QString& name) const {
        const auto it = ValueIndex.constFind(Folded(name));
        return it == ValueIndex.constEnd() ? nullptr : &Values[*it];
    }
    void SetValue(const QString& name, TValue value) {
        const QString folded = Folded(name);
        const auto it = ValueIndex.constFind(folded);
        if (it == ValueIndex.constEnd()) {
            ValueIndex.insert(folded, Values.size());
            Values.emplace_back(name, std::move(value));
        } else {
            Values[*it].second = std::move(value);
        }
    }
    // Removes a value, keeping the order of the others and their index.
    bool RemoveChild(const QString& name) {
        const auto it = ChildIndex.constFind(Folded(name));
        if (it == ChildIndex.constEnd())
            return false;
        const std::size_t removed = *it;
        ChildIndex.erase(it);
        Children.erase(Children.begin() + static_cast<std::ptrdiff_t>(removed));
        for (auto& position : ChildIndex)
            if (position > removed)
                --position;
        return true;
    }
    bool RemoveValue(const QString& name) {
        const auto it = ValueIndex.constFind(Folded(name));
        if (it == ValueIndex.constEnd())
            return false;
        const std::size_t removed = *it;
        ValueIndex.erase(it);
        Values.erase(Values.begin() + static_cast<std::ptrdiff_t>(removed));
        for (auto& position : ValueIndex)
            if (position > removed)
                --position;
        return true;
    }

    // Objects are keys; whole numbers and strings are values. Anything else in the file (a
    // fraction, a boolean, an array) is kept as it is and reads as a value of another type.
    void FromJson(const QJsonObject& object) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QJsonValue value = it.value();
            if (value.isObject()) {
                TKeyNode* child = Child(it.key()) ? Child(it.key()) : AddChild(it.key());
                child->FromJson(value.toObject());
            } else if (value.isString()) {
                SetValue(it.key(), value.toString());
            } else if (IsInteger(value)) {
                SetValue(it.key(), static_cast<int>(value.toDouble()));
            } else {
                SetValue(it.key(), value);
            }
        }
    }
    static bool IsInteger(const QJsonValue& value) {
        if (!value.isDouble())
            return false;
        const double number = value.toDouble();
        return std::floor(number) == number && number >= std::numeric_limits<int>::min() &&
               number <= std::numeric_limits<int>::max();
    }

    QJsonObject ToJson() const {
        QJsonObject object;
        for (const auto& [name, value] : Values) {
            if (std::holds_alternative<int>(value))
                object.insert(name, std::get<int>(value));
            else if (std::holds_alternative<QString>(value))
                object.insert(name, std::get<QString>(value));
            else
                object.insert(name, std::get<QJsonValue>(value));
        }
        for (const auto& child : Children)
            object.insert(child->Name, child->ToJson());
        return object;
    }
};

TSettingsStore::TSettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}
TSettingsStore::~TSettingsStore() = default;

TSettingsStore& TSettingsStore::Global() {
    static TSettingsStore store(DefaultFilePath());
    return store;
}

QString TSettingsStore::DefaultFilePath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    return base + "/TAMO/settings.json";
}

void TSettingsStore::Reset(const QString& filePath) {
    m_filePath = filePath;
    Reload();
}

void TSettingsStore::Reload() {
    m_loaded = false;
    m_changed = false;
    EnsureLoaded();
}

void TSettingsStore::EnsureLoaded() {
    if (m_loaded)
        return;
    m_loaded = true;
    ReadFile();
    m_foundState = m_fileState;
}

void TSettingsStore::ReadFile() {
    m_fileState = TStoreFile::Missing;
    m_setAsideAs.clear();
    m_root = std::make_unique<TKeyNode>();
    const QFileInfo info(m_filePath);
    const bool dangling = info.isSymLink() && !info.exists();
    if (!info.exists() && !dangling)
        return;
    // A folder in the file's place belongs to the user as it is: the program runs on defaults and
    // leaves it alone.
    if (info.isDir()) {
        m_fileState = TStoreFile::Unreadable;
        qCWarning(LogSettings) << "the settings file" << m_filePath << "is a folder; the defaults are in use";
        return;
    }
    // A named pipe would block the reading for ever, a device or socket is no file, a link to
    // nothing holds nothing: set aside like a damaged file, never opened.
    if (dangling || !info.isFile()) {
        m_fileState = TStoreFile::Damaged;
        SetAside();
        return;
    }
    // A file that is there but cannot be read (permissions, a read error) belongs to the user as
    // it is: the program runs on defaults and leaves it alone.
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_fileState = TStoreFile::Unreadable;
        return;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_fileState = TStoreFile::Unreadable;
        return;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        m_fileState = TStoreFile::Damaged; // read as an empty store
        file.close();
        SetAside();
        return;
    }
    m_fileState = TStoreFile::Read;
    m_root->FromJson(document.object());
    qCInfo(LogSettings) << "read" << m_filePath;
}

TStoreFile TSettingsStore::FileState() {
    EnsureLoaded();
    return m_foundState;
}

QString TSettingsStore::SetAsideAs() {
    EnsureLoaded();
    return m_setAsideAs;
}

bool TSettingsStore::SetAside() {
    // Every damaged file is kept, under a name of its own. rename(2) moves a link or a pipe as
    // it is, without following or opening it.
    const QString aside = FreeDamagedName(m_filePath);
    if (::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(aside).constData()) != 0) {
        qCWarning(LogSettings) << "the damaged settings file" << m_filePath << "cannot be set aside";
        return false;
    }
    m_setAsideAs = aside;
    qCInfo(LogSettings) << "the damaged settings file" << m_filePath << "was set aside as" << aside;
    return true;
}

std::optional<QString> SettingsFileNotice(TSettingsStore& store) {
    const QString file = QDir::toNativeSeparators(store.FilePath());
    switch (store.FileState()) {
    case TStoreFile::Damaged:
        if (!store.SetAsideAs().isEmpty())
            return QString("The settings file \"%1\" could not be used (it is damaged or is not a file), so "
                           "the default settings are in use. The old file was kept as \"%2\".")
                .arg(file, QDir::toNativeSeparators(store.SetAsideAs()));
        return QString(
                   "The settings file \"%1\" could not be used (it is damaged or is not a file) and could "
                   "not be moved aside, so the default settings are in use and nothing will be saved.")
            .arg(file);
    case TStoreFile::Unreadable:
        return QString("The settings file \"%1\" cannot be read, so the default settings are in use. The "
                       "file is left as it is and is not written over.")
            .arg(file);
    case TStoreFile::Missing:
    case TStoreFile::Read:
        break;
    }
    return std::nullopt;
}

QString TSettingsStore::FreeDamagedName(const QString& filePath) {
    QString name = filePath + ".bad";
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = QString("%1.%2.bad").arg(filePath).arg(n);
    return name;
}

void TSettingsStore::Save() {
    if (!m_loaded || !m_changed || m_batchDepth > 0)
        return;
    WriteFile();
}

void TSettingsStore::WriteFile() {
    if (m_fileState == TStoreFile::Unreadable)
        return;
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    if (m_fileState == TStoreFile::Damaged) {
        // A damaged file that could not be moved when it was read is tried again; without a place
        // for it the damaged file stays where it is and nothing is written.
        const QFileInfo info(m_filePath);
        if (m_setAsideAs.isEmpty() && (info.exists() || info.isSymLink()) && !SetAside())
            return;
        m_fileState = TStoreFile::Missing;
    }
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument(m_root->ToJson()).toJson(QJsonDocument::Indented));
    if (file.commit()) {
        m_changed = false;
        m_fileState = TStoreFile::Read;
        qCDebug(LogSettings) << "wrote" << m_filePath;
    } else {
        qCWarning(LogSettings) << "cannot write" << m_filePath << ":" << file.errorString();
    }
}

TSettingsStore::TBatch::TBatch(TSettingsStore& store) : m_store(store) {
    ++m_store.m_batchDepth;
}

TSettingsStore::TBatch::~TBatch() {
    if (--m_store.m_batchDepth == 0)
        m_store.Save();
}

QStringList TSettingsStore::SplitPath(const QString& path) {
    QString normal = path;
    normal.replace('\\', '/');
    return normal.split('/', Qt::SkipEmptyParts);
}

TSettingsStore::TKeyNode* TSettingsStore::FindKey(const QString& path) {
    EnsureLoaded();
    TKeyNode* node = m_root.get();
    for (const QString& part : SplitPath(path)) {
        node = node->Child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

bool TSettingsStore::DeleteKey(const QString& path) {
    QStringList parts = SplitPath(path);
    if (parts.isEmpty())
        return false;
    const QString name = parts.takeLast();
    TKeyNode* parent = FindKey(parts.join('/'));
    if (!parent || !parent->RemoveChild(name))
        return false;
    m_changed = true;
    return true;
}

TSettingsStore::TKeyNode* TSettingsStore::CreateKey(const QString& path) {
    EnsureLoaded();
    TKeyNode* node = m_root.get();
    for (const QString& part : SplitPath(path)) {
        TKeyNode* child = node->Child(part);
        if (!child) {
            child = node->AddChild(part);
            m_changed = true;
        }
        node = child;
    }
    return node;
}

TRegistry::TRegistry(TSettingsStore& store) : m_store(store) {}

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::KeyExists(const QString& path) const {
    return m_store.FindKey(path) != nullptr;
}

bool TRegistry::OpenKey(const QString& path, TKeyAccess access) {
    // Moving to another key is no reason to write: the session writes once when it ends.
    m_key = access == TKeyAccess::CreateIfMissing ? m_store.CreateKey(path) : m_store.FindKey(path);
    return m_key != nullptr;
}

void TRegistry::CloseKey() {
    m_key = nullptr;
    m_store.Save();
}

bool TRegistry::ValueExists(const QString& name) const {
    return ValueType(name) != TValueType::None;
}

TValueType TRegistry::ValueType(const QString& name) const {
    if (!m_key)
        return TValueType::None;
    const auto* it = m_key->FindValue(name);
    if (!it)
        return TValueType::None;
    if (std::holds_alternative<int>(it->second))
        return TValueType::Integer;
    return std::holds_alternative<QString>(it->second) ? TValueType::Text : TValueType::Other;
}

QStringList TRegistry::ValueNames() const {
    QStringList names;
    if (m_key)
        for (const auto& value : m_key->Values)
            names << value.first;
    return names;
}

QStringList TRegistry::SubKeyNames() const {
    QStringList names;
    if (m_key)
        for (const auto& child : m_key->Children)
            names << child->Name;
    return names;
}

int TRegistry::ReadInteger(const QString& name) const {
    if (ValueType(name) != TValueType::Integer)
        throw TSettingsError("no integer value " + name);
    return std::get<int>(m_key->FindValue(name)->second);
}

bool TRegistry::ReadBool(const QString& name) const {
    return ReadInteger(name) != 0;
}

QString TRegistry::ReadString(const QString& name) const {
    if (ValueType(name) != TValueType::Text)
        throw TSettingsError("no text value " + name);
    return std::get<QString>(m_key->FindValue(name)->second);
}

void TRegistry::WriteInteger(const QString& name, int value) {
    if (!m_key)
        throw TSettingsError("no key open");
    m_key->SetValue(name, value);
    m_store.MarkChanged();
}

void TRegistry::WriteBool(const QString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(const QString& name, const QString& value) {
    if (!m_key)
        throw TSettingsError("no key open");
    m_key->SetValue(name, value);
    m_store.MarkChanged();
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!m_key)
        throw TSettingsError("no key open");
    if (!m_key->RemoveValue(name))
        return false;
    m_store.MarkChanged();
    return true;
}
