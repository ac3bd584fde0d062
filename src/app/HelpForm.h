#pragma once
// The program's help: its own HTML pages, kept in the program's resources, shown in a browser
// with a list of contents and a search over the pages' text.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// One page of the help: its resource file name and its title in the contents.
struct THelpPage {
    QString File;
    QString Title;
};

// The pages in the order of the contents; the first is the start page.
const std::vector<THelpPage>& HelpPages();
// The titles of the pages whose text holds `keyword` (case ignored); every page for an empty one.
QStringList SearchHelp(const QString& keyword);

class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // The first page, with the contents list in front.
    void ShowContents();
    // The search, with `keyword` in its box and the pages that hold it listed.
    void ShowSearch(const QString& keyword);
    // The resource file of the page shown ("index.html").
    QString CurrentPage() const;

    QTabWidget* tabNavigation;
    QListWidget* lstContents;
    QLineEdit* edtKeyword;
    QListWidget* lstTopics;
    QTextBrowser* Browser;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenPage(const QString& file);
    void BrowserSourceChanged(const QString& file);
    void edtKeywordChange();
    void Present();
    bool m_placementRestored = false;
};
