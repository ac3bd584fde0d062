// The frame's commands, menus and toolbars against the table the users see, and the windows of
// the Help menu and the hidden Export command.
#include "CommandTable.h"
#include "TestSupport.h"
#include "app/AboutForm.h"
#include "app/DisclaimerForm.h"
#include "app/ExportForm.h"
#include "app/FrameCommands.h"
#include "app/HelpForm.h"
#include "app/TAMOForm.h"
#include "common/TAMOError.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
// The items of a menu or toolbar: action names, widget names for controls, "-" for separators.
QStringList ItemsOf(const QWidget& bar) {
    QStringList items;
    const auto* toolbar = qobject_cast<const QToolBar*>(&bar);
    for (QAction* action : bar.actions()) {
        if (action->isSeparator())
            items << "-";
        else if (QWidget* widget = toolbar ? toolbar->widgetForAction(action) : nullptr;
                 widget && action->objectName().isEmpty())
            items << widget->objectName();
        else
            items << action->objectName();
    }
    return items;
}

} // namespace

TEST(FrameCommands, EveryCommandHasItsCaptionHintAndStateWithoutAndWithAChildWindow) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.UpdateCommandStates();
    ExpectCommandStates(frame, false, "without a window");
    for (QWidget* control :
         {static_cast<QWidget*>(frame.ClassificationBox()), static_cast<QWidget*>(frame.ClassCountBox()),
          static_cast<QWidget*>(frame.ColorRampBox())})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();

    // Any child window counts.
    frame.MdiArea()->addSubWindow(new QWidget)->show();
    frame.UpdateCommandStates();
    ExpectCommandStates(frame, true, "with a window");
    EXPECT_TRUE(frame.ColorRampBox()->isEnabled());
    EXPECT_FALSE(frame.ThemeWindow()->isVisible());

    frame.Action("aFileCloseAll")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame.Action("aViewZoomIn")->isEnabled(); }, kWaitDeadlineMs));
    ExpectCommandStates(frame, false, "after Close All");

    // The table names every action of the frame.
    for (QAction* action : frame.findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!action->objectName().isEmpty()) {
            EXPECT_NE(FindCommand(action->objectName()), nullptr) << action->objectName().toStdString();
        }
    }
}

TEST(FrameCommands, AnUnknownNameFailsAtOnceAndNamesItself) {
    TScopedEnvironment env;
    TTAMOForm frame;
    EXPECT_THROW(frame.Action("aViewZoomInn"), TAMOError);
    EXPECT_THROW(frame.Toolbar("TBMain"), TAMOError);
    EXPECT_THROW(FrameItems("mnuEdit"), TAMOError);

    // The item lists that build the menus and toolbars: a misspelt command, and a control, which
    // belongs on a toolbar only.
    QWidget owner;
    auto* control = new QWidget(&owner);
    control->setObjectName("cmbClassific");
    TFrameCommands commands(owner);
    QMenu menu;
    menu.setObjectName("mnuView");
    QToolBar bar;
    bar.setObjectName("TBViewToolbar");
    const struct {
        QWidget* Bar;
        TItemList Items;
        const char* Message;
    } cases[] = {
        {&menu, {"aViewRedraw", "aViewZomIn"}, R"("mnuView" lists "aViewZomIn")"},
        {&bar, {"-", "aViewPann"}, R"("TBViewToolbar" lists "aViewPann")"},
        {&menu, {"cmbClassific"}, R"("mnuView" lists "cmbClassific")"},
    };
    for (const auto& c : cases) {
        try {
            commands.AddItems(*c.Bar, c.Items);
            ADD_FAILURE() << "no error for " << c.Message;
        } catch (const TAMOError& error) {
            EXPECT_TRUE(error.Message().startsWith(c.Message)) << error.what();
        }
    }
    QToolBar dataBar;
    EXPECT_NO_THROW(commands.AddItems(dataBar, {"aViewRedraw", "-", "cmbClassific"}));
    EXPECT_EQ(dataBar.actions().size(), 3);
}

TEST(FrameCommands, MenusAndToolbarsHoldTheirItemsInOrder) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();

    QStringList titles;
    for (QAction* entry : frame.menuBar()->actions())
        titles << entry->text();
    EXPECT_EQ(titles, QStringList({"&File", "&View", "&Data", "&Window", "&Help"}));

    for (const TBarLayout& layout : MenuLayout()) {
        SCOPED_TRACE(layout.Name);
        auto* menu = frame.findChild<QMenu*>(layout.Name);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), layout.Caption);
        emit menu->aboutToShow();
        QStringList items = ItemsOf(*menu);
        // The Window menu goes on with the list of child windows.
        if (layout.Caption == "&Window")
            items = items.mid(0, layout.Items.size());
        EXPECT_EQ(items, layout.Items);
    }

    for (const TBarLayout& layout : ToolbarLayout()) {
        SCOPED_TRACE(layout.Name);
        auto* bar = frame.findChild<QToolBar*>(layout.Name);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->windowTitle(), layout.Caption);
        EXPECT_EQ(ItemsOf(*bar), layout.Items);
        // Hidden commands show no button; the classification controls are shown.
        for (QAction* action : bar->actions()) {
            if (action->isSeparator())
                continue;
            QWidget* widget = bar->widgetForAction(action);
            ASSERT_NE(widget, nullptr);
            const TCommandRow* row = FindCommand(action->objectName());
            const bool shown = row ? row->Shown != TShown::Hidden : true;
            EXPECT_EQ(widget->isVisible(), shown)
                << ItemsOf(*bar).at(bar->actions().indexOf(action)).toStdString();
        }
    }
    // The buttons with captions of their own.
    EXPECT_EQ(frame.Action("aDataSelect")->iconText(), "&Show Data Selector");
    EXPECT_EQ(frame.Action("aNoAction")->iconText(), "&None");
    EXPECT_EQ(frame.Toolbar("TBViewToolbar")->widgetForAction(frame.Action("aNoAction"))->toolTip(), "None");
}

TEST(FrameCommands, EveryMenuItemHasALetterOfItsOwn) {
    TScopedEnvironment env;
    TTAMOForm frame;
    QList<QMenu*> menus = frame.findChildren<QMenu*>();
    std::unique_ptr<QMenu> popup(frame.createPopupMenu());
    menus << popup.get();
    for (QMenu* menu : menus) {
        SCOPED_TRACE(menu->objectName().toStdString());
        emit menu->aboutToShow();
        QMap<QChar, QString> letters;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QString text = action->text();
            const qsizetype at = text.indexOf('&');
            // Shown items all have one; hidden ones may not, but never take another's.
            if (at < 0 || at + 1 >= text.size()) {
                EXPECT_FALSE(action->isVisible()) << text.toStdString() << " has no letter";
                continue;
            }
            const QChar letter = text.at(at + 1).toLower();
            EXPECT_FALSE(letters.contains(letter))
                << text.toStdString() << " and " << letters.value(letter).toStdString() << " share "
                << QString(letter).toStdString();
            letters.insert(letter, text);
        }
    }
}

TEST(FrameCommands, TheWindowMenuListsTheChildWindows) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    auto* first = new QWidget;
    first->setWindowTitle("First");
    auto* second = new QWidget;
    second->setWindowTitle("Second");
    frame.MdiArea()->addSubWindow(first)->show();
    frame.MdiArea()->addSubWindow(second)->show();
    auto* menu = frame.findChild<QMenu*>("mnuWindow");
    emit menu->aboutToShow();
    QStringList captions;
    for (QAction* action : menu->actions())
        captions << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(captions.mid(4), QStringList({"-", "&1 First", "&2 Second"}));
    menu->actions().at(5)->trigger();
    EXPECT_EQ(frame.MdiArea()->activeSubWindow()->widget(), first);
}

TEST(FrameCommands, UnfinishedCommandsSaySoAndExportDataShowsTheExportWindow) {
    TScopedEnvironment env;
    TTestResponder responder;
    TTAMOForm frame;
    // Extract Statistics needs a map window; without one it does nothing.
    EXPECT_FALSE(frame.Action("aZonalStatistics")->isEnabled());
    frame.Action("aZonalStatistics")->trigger();
    frame.Action("aLibraryManager")->trigger();
    ASSERT_EQ(responder.Messages.size(), 1u);
    for (const auto& message : responder.Messages) {
        EXPECT_EQ(message.Text, " ... to be implemeted...");
        EXPECT_EQ(message.Caption, "Message");
    }

    bool checked = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        checked = true;
        EXPECT_EQ(dialog.windowTitle(), "Export");
        EXPECT_GE(dialog.width(), 445);
        EXPECT_GE(dialog.height(), 407);
        auto* form = qobject_cast<TExportForm*>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return int(QDialog::Rejected);
        QStringList formats;
        for (QAbstractButton* button : form->FormatButtons->buttons())
            formats << button->text();
        EXPECT_EQ(formats, QStringList({"ESRI BIL (+ BLW && HDR)", "IDRISI RST (+ RDC)", "ESRI ARC ASCII",
                                        "GeoTiff"}));
        EXPECT_TRUE(form->FormatButtons->button(0)->isChecked());
        EXPECT_EQ(form->chkLegend->text(), "Add Legend and color info");
        EXPECT_EQ(form->btnExport->text(), "&Export");
        EXPECT_EQ(form->btnClose->text(), "&Close");
        EXPECT_EQ(form->rgFormat->title(), "Format");
        for (QLineEdit* edit : {form->edtWest, form->edtEast, form->edtSouth, form->edtNorth})
            EXPECT_FALSE(edit->inputMask().isEmpty());
        // Without a map window the area is the world.
        EXPECT_EQ(form->edtNorth->text(), "+090.00");
        EXPECT_EQ(form->edtWest->text(), "-180.00");
        // Without a catalogue there is nothing to export.
        form->btnExport->click();
        EXPECT_TRUE(responder.FileRequests.empty());
        QTest::mouseClick(form->btnClose, Qt::LeftButton);
        return dialog.result();
    });
    frame.findChild<QAction*>("aExportData")->trigger();
    EXPECT_TRUE(checked);
}

TEST(FrameCommands, AboutAndDisclaimerOpenAndClose) {
    TScopedEnvironment env;
    TTestResponder responder;
    TTAMOForm frame;
    QStringList shown;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        shown << dialog.windowTitle();
        auto* about = qobject_cast<TAboutForm*>(&dialog);
        EXPECT_NE(about, nullptr);
        if (!about)
            return int(QDialog::Rejected);
        EXPECT_EQ(about->ProductName->text(), "TAMO Soil Database Viewer");
        EXPECT_TRUE(about->ProductName->font().bold());
        EXPECT_TRUE(about->Version->text().contains("2.0"));
        EXPECT_TRUE(about->memAcknowledgements->toPlainText().contains("Qt 6"));
        EXPECT_GE(about->width(), 365);
        EXPECT_GE(about->height(), 240);
        QTest::mouseClick(about->OKButton, Qt::LeftButton);
        return about->result();
    });
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        shown << dialog.windowTitle();
        auto* disclaimer = qobject_cast<TDisclaimerForm*>(&dialog);
        EXPECT_NE(disclaimer, nullptr);
        if (!disclaimer)
            return int(QDialog::Rejected);
        EXPECT_TRUE(disclaimer->Memo1->font().bold());
        EXPECT_TRUE(disclaimer->Memo1->isReadOnly());
        EXPECT_TRUE(disclaimer->Memo1->toPlainText().contains("CITATION"));
        EXPECT_EQ(disclaimer->btnClose->text(), "&Close");
        QTest::mouseClick(disclaimer->btnClose, Qt::LeftButton);
        return disclaimer->result();
    });
    frame.findChild<QAction*>("aHelpAbout")->trigger();
    frame.findChild<QAction*>("aHelpDisclaimer")->trigger();
    EXPECT_EQ(shown, QStringList({"About", "Disclaimer"}));
    EXPECT_TRUE(responder.DialogAnswers.empty());
}

TEST(FrameCommands, HelpOpensAtItsFirstPageAndSearchesWithAnEmptyKeyword) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.findChild<QAction*>("aHelpContents")->trigger();
    auto* help = frame.findChild<THelpForm*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentPage(), "index.html");
    EXPECT_EQ(help->tabNavigation->currentIndex(), 0);
    EXPECT_EQ(help->lstContents->count(), int(HelpPages().size()));
    EXPECT_EQ(help->lstContents->currentRow(), 0);
    EXPECT_TRUE(help->Browser->toPlainText().contains("Soil Mapping Unit"));

    // Each page of the contents opens, and has text.
    for (int row = 0; row < help->lstContents->count(); ++row) {
        help->lstContents->setCurrentRow(row);
        EXPECT_EQ(help->CurrentPage(), HelpPages()[row].File);
        EXPECT_GT(help->Browser->toPlainText().size(), 200) << HelpPages()[row].File.toStdString();
    }
    // A link moves the contents along.
    help->lstContents->setCurrentRow(0);
    help->Browser->setSource(QUrl("qrc:/help/query.html"));
    EXPECT_EQ(help->lstContents->currentItem()->text(), "The query");

    help->close();
    EXPECT_FALSE(help->isVisible());
    frame.findChild<QAction*>("aHelpSearch")->trigger();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(frame.findChildren<THelpForm*>().size(), 1);
    EXPECT_EQ(help->tabNavigation->currentIndex(), 1);
    EXPECT_EQ(help->edtKeyword->text(), "");
    EXPECT_EQ(help->lstTopics->count(), int(HelpPages().size()));
    QTest::keyClicks(help->edtKeyword, "selection colour");
    ASSERT_GE(help->lstTopics->count(), 1);
    EXPECT_LT(help->lstTopics->count(), int(HelpPages().size()));
    EXPECT_TRUE(SearchHelp("no such words anywhere").isEmpty());

    // It closes with the frame and keeps its place.
    help->move(40, 50);
    frame.close();
    EXPECT_FALSE(help->isVisible());
    TRegistry registry(TSettingsStore::Global());
    ASSERT_TRUE(registry.OpenKey("\\software\\TAMO\\v2.00\\Forms\\HelpForm", TKeyAccess::OpenExisting));
    EXPECT_EQ(registry.ReadInteger("Left"), help->x());
}

TEST(FrameCommands, EachMenuOpensWithAltAndItsLetter) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame, kWaitDeadlineMs));
    for (const TBarLayout& layout : MenuLayout()) {
        SCOPED_TRACE(layout.Name);
        auto* menu = frame.findChild<QMenu*>(layout.Name);
        const QChar letter = layout.Caption.at(layout.Caption.indexOf('&') + 1);
        QTest::keyClick(&frame, Qt::Key(letter.toUpper().unicode()), Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, kWaitDeadlineMs));
        menu->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, kWaitDeadlineMs));
    }
}

TEST(FrameCommands, EveryLinkOfTheHelpLeadsToAPageOfItsContents) {
    QStringList files;
    for (const THelpPage& page : HelpPages())
        files << page.File;
    const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
    int links = 0;
    THelpForm help; // registers the pages
    for (const QString& file : files) {
        QFile page(":/help/" + file);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << file.toStdString();
        const QString html = QString::fromUtf8(page.readAll());
        for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
            ++links;
            EXPECT_TRUE(files.contains(match.captured(1)))
                << file.toStdString() << " -> " << match.captured(1).toStdString();
        }
    }
    EXPECT_GT(links, 5);
}

// The help names commands as "Menu > Command" in bold. Each named command is in that menu and
// shown; every command shown in a menu is named by some page, so that no command goes unexplained.
TEST(FrameCommands, TheHelpNamesEveryShownMenuCommandAndNoOther) {
    TScopedEnvironment env;
    TTAMOForm frame;
    THelpForm help(&frame); // registers the pages
    const auto plain = [](QString caption) {
        caption.remove('&');
        if (caption.endsWith("..."))
            caption.chop(3);
        return caption.trimmed();
    };
    QMap<QString, QMap<QString, QAction*>> menus; // menu title -> caption -> command
    for (QAction* entry : frame.menuBar()->actions())
        for (QAction* action : entry->menu()->actions())
            if (!action->isSeparator() && !action->objectName().isEmpty())
                menus[plain(entry->text())][plain(action->text())] = action;
    ASSERT_EQ(menus.size(), 5);

    const QRegularExpression named(QStringLiteral("<b>(\\w+) &gt; ([^<]+)</b>"));
    QSet<QAction*> explained;
    for (const THelpPage& page : HelpPages()) {
        QFile file(":/help/" + page.File);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.File.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : named.globalMatch(html)) {
            const QString menu = match.captured(1);
            const QString caption = plain(match.captured(2));
            QAction* action = menus.value(menu).value(caption);
            if (!action) {
                ADD_FAILURE() << page.File.toStdString() << " names " << menu.toStdString() << " > "
                              << caption.toStdString() << ", which that menu does not hold";
                continue;
            }
            EXPECT_TRUE(action->isVisible())
                << page.File.toStdString() << " names the hidden " << action->objectName().toStdString();
            explained << action;
        }
    }
    for (auto menu = menus.cbegin(); menu != menus.cend(); ++menu)
        for (QAction* action : menu.value())
            EXPECT_TRUE(!action->isVisible() || explained.contains(action))
                << "no help page names " << menu.key().toStdString() << " > "
                << plain(action->text()).toStdString() << " (as <b>Menu &gt; Command</b>)";
}
