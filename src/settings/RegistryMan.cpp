#include "settings/RegistryMan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <cmath>
#include <limits>

struct TSettingsStore::TKeyNode {
    QString Name;
    std::vector<std::unique_ptr<TKeyNode>> Children;
    std::vector<std::pair<QString, std::variant<int, QString, QJsonValue>>> Values;

    TKeyNode* Child(const QString& name) {
        for (auto& child : Children)
            if (child->Name.compare(name, Qt::CaseInsensitive) == 0)
                return child.get();
        return nullptr;
    }
    TKeyNode* AddChild(const QString& name) {
        Children.push_back(std::make_unique<TKeyNode>());
        Children.back()->Name = name;
        return Children.back().get();
    }
    auto FindValue(const QString& name) {
        return std::find_if(Values.begin(), Values.end(), [&](const auto& value) {
            return value.first.compare(name, Qt::CaseInsensitive) == 0;
        });
    }
    void SetValue(const QString& name, std::variant<int, QString, QJsonValue> value) {
        auto it = FindValue(name);
        if (it == Values.end())
            Values.emplace_back(name, std::move(value));
        else
            it->second = std::move(value);
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
    m_fileDamaged = false;
    m_root = std::make_unique<TKeyNode>();
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_fileDamaged = true;
        return;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        m_fileDamaged = true; // read as an empty store; kept aside at the next save
        return;
    }
    m_root->FromJson(document.object());
}

void TSettingsStore::Save() {
    if (!m_loaded || !m_changed)
        return;
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    if (m_fileDamaged) {
        const QString badCopy = m_filePath + ".bad";
        QFile::remove(badCopy);
        QFile::rename(m_filePath, badCopy);
        m_fileDamaged = false;
    }
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument(m_root->ToJson()).toJson(QJsonDocument::Indented));
    if (file.commit())
        m_changed = false;
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
    CloseKey();
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
    const auto it = m_key->FindValue(name);
    if (it == m_key->Values.end())
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
    const auto it = m_key->FindValue(name);
    if (it == m_key->Values.end())
        return false;
    m_key->Values.erase(it);
    m_store.MarkChanged();
    return true;
}
