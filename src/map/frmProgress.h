#pragma once
// The window shown while a theme's raster is extracted from its archive ("Decompressing ..."),
// and the map window's side of the extraction: it counts the bytes, shows whole percentages,
// keeps the program responsive, and lets the user cancel.

#include "raster/RasterLocator.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    QLabel* lblFilename = nullptr;
    QLabel* lblProgress = nullptr;
    QPushButton* btnCancel = nullptr;
    bool CancelRequested = false;

protected:
    void reject() override; // Escape cancels like the Cancel button
};

class TExtractionProgress : public TExtractionView {
public:
    // `extractedBytes` is the map window's count of the bytes delivered; `owner` the window the
    // progress window and the questions belong to.
    TExtractionProgress(QWidget* owner, long long& extractedBytes);
    ~TExtractionProgress() override;

    void Open() override;
    bool Progress(const QString& member, long long stepBytes) override;
    void Close() override;
    TZipAnswer Ask(const QString& text) override;
    void Tell(const QString& text) override;

    TfrmProgress* Window() const { return m_window.get(); }

private:
    QWidget* m_owner;
    long long& m_extractedBytes;
    std::unique_ptr<TfrmProgress> m_window;
};
