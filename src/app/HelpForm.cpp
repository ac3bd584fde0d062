#include "app/HelpForm.h"

#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

// The pages live in the resources of the program's static library, which must be registered.
static void InitHelpResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
const QString kHelpFolder = ":/help/";

QString PageText(const QString& file) {
    InitHelpResources();
    QFile page(kHelpFolder + file);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    QTextDocument document;
    document.setHtml(QString::fromUtf8(page.readAll()));
    return document.toPlainText();
}

QString FileOf(const QString& title) {
    for (const THelpPage& page : HelpPages())
        if (page.Title == title)
            return page.File;
    return {};
}
} // namespace

const std::vector<THelpPage>& HelpPages() {
    static const std::vector<THelpPage> pages = {
        {"index.html", "The TAMO Viewer"},    {"map.html", "Map windows and their tools"},
        {"readout.html", "The readout"},      {"smu.html", "The SMU windows"},
        {"query.html", "The query"},          {"legend.html", "The legend"},
        {"properties.html", "Property maps"}, {"statistics.html", "Statistics and export"},
        {"data.html", "Data files"},          {"settings.html", "Settings"},
    };
    return pages;
}

QStringList SearchHelp(const QString& keyword) {
    const QString wanted = keyword.trimmed();
    QStringList titles;
    for (const THelpPage& page : HelpPages())
        if (wanted.isEmpty() || PageText(page.File).contains(wanted, Qt::CaseInsensitive))
            titles << page.Title;
    return titles;
}

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    InitHelpResources();
    setObjectName("HelpForm");
    setWindowTitle("TAMO-Viewer Help");
    resize(780, 560);

    tabNavigation = new QTabWidget(this);
    tabNavigation->setObjectName("tabNavigation");
    lstContents = new QListWidget(tabNavigation);
    lstContents->setObjectName("lstContents");
    for (const THelpPage& page : HelpPages())
        lstContents->addItem(page.Title);
    tabNavigation->addTab(lstContents, "&Contents");

    auto* search = new QWidget(tabNavigation);
    auto* keywordLabel = new QLabel("&Keyword:", search);
    edtKeyword = new QLineEdit(search);
    edtKeyword->setObjectName("edtKeyword");
    keywordLabel->setBuddy(edtKeyword);
    lstTopics = new QListWidget(search);
    lstTopics->setObjectName("lstTopics");
    auto* searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(keywordLabel);
    searchLayout->addWidget(edtKeyword);
    searchLayout->addWidget(lstTopics, 1);
    tabNavigation->addTab(search, "&Search");

    Browser = new QTextBrowser(this);
    Browser->setObjectName("Browser");
    Browser->setOpenExternalLinks(false);
    Browser->setSearchPaths({kHelpFolder});

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tabNavigation);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 560});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    connect(lstContents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(HelpPages().size()))
            OpenPage(HelpPages()[row].File);
    });
    connect(lstTopics, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenPage(FileOf(item->text())); });
    connect(lstTopics, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenPage(FileOf(item->text())); });
    connect(edtKeyword, &QLineEdit::textChanged, this, [this] { edtKeywordChange(); });
    edtKeywordChange(); // no keyword yet: every page
    connect(Browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& source) { BrowserSourceChanged(source.fileName()); });
}

void THelpForm::ShowContents() {
    tabNavigation->setCurrentIndex(0);
    OpenPage(HelpPages().front().File);
    Present();
}

void THelpForm::ShowSearch(const QString& keyword) {
    tabNavigation->setCurrentIndex(1);
    edtKeyword->setText(keyword);
    edtKeywordChange();
    Present();
    edtKeyword->setFocus();
}

QString THelpForm::CurrentPage() const {
    return Browser->source().fileName();
}

void THelpForm::OpenPage(const QString& file) {
    if (!file.isEmpty() && CurrentPage() != file)
        Browser->setSource(QUrl("qrc" + kHelpFolder + file));
}

// The contents follow the page shown, also when it was reached by a link.
void THelpForm::BrowserSourceChanged(const QString& file) {
    for (int row = 0; row < int(HelpPages().size()); ++row)
        if (HelpPages()[row].File == file) {
            const QSignalBlocker blocker(lstContents);
            lstContents->setCurrentRow(row);
        }
}

void THelpForm::edtKeywordChange() {
    lstTopics->clear();
    lstTopics->addItems(SearchHelp(edtKeyword->text()));
}

void THelpForm::Present() {
    if (!m_placementRestored) {
        m_placementRestored = true;
        // Where it was last time; the first time over the middle of the frame.
        if (TRegistry(TSettingsStore::Global())
                .KeyExists("\\software\\TAMO\\v2.00\\Forms\\" + objectName())) {
            RestoreWindowPlacement(*this);
        } else if (parentWidget()) {
            QRect box(QPoint(), size());
            box.moveCenter(parentWidget()->frameGeometry().center());
            move(box.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

void THelpForm::closeEvent(QCloseEvent* event) {
    SaveWindowPlacement(*this);
    QWidget::closeEvent(event);
}
