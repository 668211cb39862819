#include "about-dialog.h"

#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <array>
#include <boost/crc.hpp>
#include <fstream>
#include <optional>

#include "look.h"

namespace weighdesk {
namespace {

std::optional<std::uint32_t> fileCrc32(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    boost::crc_32_type crc;
    std::array<char, 1 << 16> chunk{};
    while (file.read(chunk.data(), chunk.size()) || file.gcount() > 0) crc.process_bytes(chunk.data(), file.gcount());
    if (file.bad()) return std::nullopt;
    return crc.checksum();
}

QString computeIdentifier() {
    const std::optional<std::uint32_t> crc = fileCrc32("/proc/self/exe");
    return crc ? QString::number(*crc, 16) : QString();
}

}  // namespace

QString softwareIdentifier() {
    static const QString identifier = computeIdentifier();
    return identifier;
}

namespace {

constexpr char kLinkStyle[] = "color:#1b83c2; text-decoration:underline;";
constexpr int kShadowBlur = 10;

QString anchor(const QString& url, const QString& text) {
    return QString("<a href=\"%1\" style=\"%2\">%3</a>").arg(url, kLinkStyle, text.toHtmlEscaped());
}

weighdesk::look::WindowMode modeOf(bool desktop, bool small) {
    using weighdesk::look::WindowMode;
    if (desktop) return WindowMode::Desktop;
    return small ? WindowMode::SmallScreen : WindowMode::PortraitScreen;
}

}  // namespace

info_dialog::info_dialog(bool desktop, bool small, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle("Dialog");
    buildWidgets();
    setTexts();
    weighdesk::look::placeAboutDialog(*this, modeOf(desktop, small));
    if (parent != nullptr) move(parent->window()->pos());
    if (desktop_) {
        auto* shadow = new QGraphicsDropShadowEffect(background_);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(165, 165, 165, 255));
        shadow->setBlurRadius(kShadowBlur);
        background_->setGraphicsEffect(shadow);
    } else {
        blackout_->setObjectName("w_blackout_shadow");
    }
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

void info_dialog::showAbout(bool desktop, bool small, QWidget* parent) {
    auto* dialog = new info_dialog(desktop, small, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void info_dialog::buildWidgets() {
    blackout_ = new QWidget(this);
    blackout_->setObjectName("w_blackout");
    blackout_->setAttribute(Qt::WA_StyledBackground);
    background_ = new QWidget(blackout_);
    background_->setObjectName("w_background");
    background_->setAttribute(Qt::WA_StyledBackground);
    for (const char* name : {"lbl_header", "lbl_id_name", "lbl_id", "lbl_version_name", "lbl_version", "lbl_crc_name",
                             "lbl_crc", "lbl_copyright"})
        addLabel(name);
    for (const char* name : {"lbl_site", "lbl_faq", "lbl_doc", "lbl_support", "lbl_license"}) addLinkLabel(name);
    close_ = new QPushButton(background_);
    close_->setObjectName("pb_close");
}

void info_dialog::setTexts() {
    const auto label = [this](const char* name) { return background_->findChild<QLabel*>(name); };
    close_->setText("Закрыть");
    label("lbl_header")->setText("Терминал Z9");
    label("lbl_id_name")->setText("Идентификационное наименование внешн. ПО:");
    label("lbl_id")->setText("Терминал");
    label("lbl_version_name")->setText("Версия внешн. ПО");
    label("lbl_version")->setText(weighdesk::kTerminalVersion);
    label("lbl_crc_name")->setText("Цифровой идентификатор ПО (CRC, версии 1.x.y):");
    label("lbl_crc")->setText(weighdesk::softwareIdentifier());
    label("lbl_site")->setText("Наш сайт: " + anchor("https://norvell.example/", "norvell.example"));
    label("lbl_faq")->setText("База знаний: " + anchor("https://norvell.example/faq", "norvell.example/faq"));
    label("lbl_doc")->setText("Документация: " + anchor("https://norvell.example/docs", "norvell.example/docs"));
    label("lbl_support")
        ->setText("Техподдержка: " + anchor("mailto:support@norvell.example", "support@norvell.example"));
    label("lbl_license")->setText(anchor("https://norvell.example/license", "Лицензионное соглашение"));
    label("lbl_copyright")
        ->setText(QString("Авторское право <b style=\"color:#1b83c2;\">© NORVELL. Все права защищены.</b>"));
}

QLabel* info_dialog::addLabel(const char* objectName) {
    auto* label = new QLabel(background_);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    return label;
}

// Links open in the system's browser or mail program.
QLabel* info_dialog::addLinkLabel(const char* objectName) {
    QLabel* label = addLabel(objectName);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(false);
    connect(label, &QLabel::linkActivated, label, [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    return label;
}

void info_dialog::mousePressEvent(QMouseEvent* event) {
    if (!desktop_) return;
    dragging_ = true;
    pressPosition_ = event->position().toPoint();
}

void info_dialog::mouseMoveEvent(QMouseEvent* event) {
    if (desktop_ && dragging_) move(pos() + event->position().toPoint() - pressPosition_);
}

void info_dialog::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

}  // namespace weighdesk
