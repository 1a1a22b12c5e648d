#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

namespace Ui {
class CAboutDlg;
}

namespace merivane {

class CHyperLink;

// "About Varik Merivane": name, version, copyright and a link to the maker's
// web address, which opens in the desktop's browser. Without a web address
// neither the link nor its caption is shown.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr char kCopyright[] = "Copyright (C) 2025 The Merivane developers";
    static constexpr char kWebAddress[] = "https://www.example.com/merivane";
    static constexpr char kLinkCaption[] = "Visit us at";

    explicit CAboutDlg(QWidget* parent = nullptr, const std::string& webAddress = kWebAddress);
    ~CAboutDlg() override;

    QString TitleText() const;
    QString VersionText() const;
    QString CopyrightText() const;
    QString LinkCaptionText() const;
    CHyperLink* Link() const;

  private:
    void OpenWebAddress();

    std::unique_ptr<Ui::CAboutDlg> ui_;
    std::string webAddress_;
};

}  // namespace merivane
