#include "taxreturn/StatementPreview.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QVBoxLayout>

#include "platform/PrintPlayer.h"
#include "platform/PrinterHost.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

constexpr double kZoom = 0.75;
const char* const kCaptions[] = {"", "１ページ印刷", "２ページ印刷", "３ページ印刷",
                                 "４ページ印刷"};
const char* const kDocNames[] = {"", "青色申告決算書 1ページ", "青色申告決算書 2ページ",
                                 "青色申告決算書 3ページ", "青色申告決算書 4ページ"};

QSettings UserSettings() { return QSettings(QStringLiteral("Tabulo"), QStringLiteral("Tabulo")); }

}  // namespace

PagePreviewWidget::PagePreviewWidget(const PrintPage& page, double zoom, QWidget* parent)
    : QWidget(parent), page_(page), zoom_(zoom) {
    setAutoFillBackground(false);
    setFixedSize(sizeHint());
}

QSize PagePreviewWidget::sizeHint() const {
    const double dpi = logicalDpiX();
    return QSize(static_cast<int>(page_.scaleWidth / 1440.0 * dpi * zoom_) + 1,
                 static_cast<int>(page_.scaleHeight / 1440.0 * dpi * zoom_) + 1);
}

void PagePreviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PlayPage(painter, page_, QRectF(0, 0, width() - 1, height() - 1), logicalDpiX() * zoom_);
}

bool StatementPreview::DataOnlySetting() {
    return UserSettings().value(QStringLiteral("statement/dataOnly"), false).toBool();
}

void StatementPreview::SetDataOnlySetting(bool on) {
    UserSettings().setValue(QStringLiteral("statement/dataOnly"), on);
}

StatementPreview::StatementPreview(AppContext& app, int page, std::vector<SlotText> texts,
                                   QWidget* parent)
    : QDialog(parent), app_(app) {
    setWindowTitle(QString::fromUtf8(kCaptions[page]));
    setObjectName(QStringLiteral("Print%1Page").arg(page));
    TrimWorkingSet();
    WaitCursor wait;
    const std::filesystem::path path = LayoutPath(app_.state.ProgramFolder, page);
    auto layout = LoadFormLayout(path);
    if (!layout) {
        ShowFileError(app_.prompt, layout.error());
        return;
    }
    const PrintOffsets offsets =
        OffsetsFromSettings(app_.state.SetupLines[3], app_.state.SetupLines[4]);
    auto full = RenderStatementPage(*layout, texts, offsets, true, kDocNames[page], path.string());
    auto data = RenderStatementPage(*layout, texts, offsets, false, kDocNames[page], path.string());
    if (!full || !data) {
        ShowFileError(app_.prompt, full ? data.error() : full.error());
        return;
    }
    withForm_ = std::move(*full);
    dataOnlyDoc_ = std::move(*data);
    rendered_ = true;

    auto* view = new PagePreviewWidget(withForm_.pages.front(), kZoom, this);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("vsPrinter1"));
    scroll->setWidget(view);
    scroll->setAlignment(Qt::AlignHCenter);
    scroll->setBackgroundRole(QPalette::Dark);

    printOut_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printOut_->setObjectName(QStringLiteral("PrintOut"));
    endYesNo_ = new QPushButton(QStringLiteral("終了(&X)"), this);
    endYesNo_->setObjectName(QStringLiteral("EndYesNo"));
    dataOnly_ = new QCheckBox(QStringLiteral("データだけを印刷する（印刷済みの申告用紙に）"), this);
    dataOnly_->setObjectName(QStringLiteral("DataOnly"));
    dataOnly_->setChecked(DataOnlySetting());
    connect(dataOnly_, &QCheckBox::toggled, this, [](bool on) { SetDataOnlySetting(on); });
    connect(printOut_, &QPushButton::clicked, this, &StatementPreview::PrintOut);
    connect(endYesNo_, &QPushButton::clicked, this, &StatementPreview::CloseForm);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printOut_);
    buttons->addWidget(dataOnly_);
    buttons->addStretch();
    buttons->addWidget(endYesNo_);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addWidget(scroll);
    layoutBox->addLayout(buttons);

    const QSize page0 = view->sizeHint();
    QSize want(page0.width() + 40, page0.height() + 80);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize avail = screen->availableSize();
        want = want.boundedTo(QSize(avail.width() - 40, avail.height() - 60));
    }
    resize(want);
    PlaceForm(this);
    // The page is ready.
    app_.prompt.Beep();
}

PrintDocument StatementPreview::ForPrinter(const PrintDocument& doc) const {
    if (app_.printer == nullptr) return doc;
    // Twips are points x 20; the page keeps its true size on whatever margins the
    // printer has, centred on the paper.
    const QPageLayout layout = app_.printer->Printer().pageLayout();
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    const QRectF full = layout.fullRect(QPageLayout::Point);
    return FitToPaper(doc, paint.left() * 20, paint.top() * 20, paint.width() * 20,
                      paint.height() * 20, full.width() * 20, full.height() * 20);
}

void StatementPreview::PrintOut() {
    if (!rendered_) return;
    WaitCursor wait;
    SendToPrinter(app_, ForPrinter(dataOnly_->isChecked() ? dataOnlyDoc_ : withForm_));
}

}  // namespace tabulo
