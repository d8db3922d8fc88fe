// The main window's design: its frame, fonts, controls at their places, and its menu bar.
#include "ui/FormDesign.h"
#include "ui/Pictures.h"
#include "ui/Skedula.h"

#include <QLayout>
#include <QMenuBar>

namespace skedula {

const QColor TSkedulaForm::ConnectedColour(0, 128, 0);
const QColor TSkedulaForm::DisconnectedColour(255, 0, 0);
const QColor TSkedulaForm::StatusTextColour(0, 0, 128);

namespace {

constexpr int kClientWidth = 739;
constexpr int kClientHeight = 448;
constexpr int kCaptionHeight = 13;

} // namespace

TSkedulaForm::TSkedulaForm(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    setWindowTitle("Skedula");
    setWindowIcon(QIcon(ChipIcon()));

    // The menu bar keeps the desktop's menu font; the client area has the design's font.
    auto* client = new QWidget(this);
    client->setFont(TahomaFont());
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    CreateControls(client);
    CreateMenu();
    // Not resizable: the window is as large as its menu bar and its client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ConnectHandlers();
}

void TSkedulaForm::CreateControls(QWidget* client) {
    // Created in the tab order: the two grids, Start, Stop, the log.
    ListeSG = new StringGrid({{85, 79, 73, 91, 268}, true}, client);
    ListeSG->setGeometry(8, 8, 633, 201);
    SchlangeSG = new StringGrid({{124, 117, 115, 239}, false}, client);
    SchlangeSG->setGeometry(8, 216, 633, 97);

    StartBtn = new QPushButton("&Start", client);
    StartBtn->setGeometry(656, 24, 75, 25);
    StopBtn = new QPushButton("S&top", client);
    StopBtn->setGeometry(656, 56, 75, 25);
    StopBtn->setEnabled(false);

    StatusLabel = new QLabel(client);
    StatusLabel->setGeometry(656, 96, 73, 17);
    StatusLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    StatusLabel->setAutoFillBackground(true);
    setStatus("diconnected", DisconnectedColour); // until the link first reports

    Label5 = AutoSizeLabel(client, "Frequenz", 656, 128, kCaptionHeight);
    FrequencyLabel = AutoSizeLabel(client, {}, 656, 144, kCaptionHeight);
    Label7 = AutoSizeLabel(client, "Mode", 656, 168, kCaptionHeight);
    ModeLabel = AutoSizeLabel(client, {}, 656, 184, kCaptionHeight);
    Label9 = AutoSizeLabel(client, "S-Meter", 656, 208, kCaptionHeight);
    SMeterLabel = AutoSizeLabel(client, {}, 656, 224, kCaptionHeight);
    Label6 = AutoSizeLabel(client, "Zeit", 656, 248, kCaptionHeight);
    ZeitLabel = AutoSizeLabel(client, {}, 656, 264, kCaptionHeight);

    Memo = new QPlainTextEdit(client);
    Memo->setGeometry(8, 320, 633, 121);
    Memo->setReadOnly(true); // text can be selected and copied, not changed
    // Read-only alone lets only the mouse select. Selecting by keyboard too gives the log a
    // caret while it has the focus: its sign of the focus, as the focused cell is a grid's.
    Memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo->setTabChangesFocus(true);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setMaximumBlockCount(MemoLineLimit);

    OpenDialog = std::make_unique<ListFileDialog>(ListFileDialog::Purpose::Load, this);
    SaveDialog = std::make_unique<ListFileDialog>(ListFileDialog::Purpose::Save, this);
}

void TSkedulaForm::CreateMenu() {
    Liste1 = menuBar()->addMenu("Liste");
    Laden1 = Liste1->addAction("Laden ...");
    Speicherm1 = Liste1->addAction("Speichern ...");
    NeuerEintrag1 = Liste1->addAction("Neuer Eintrag ...");
    NeuerEintrag1->setEnabled(false); // the list has ten rows, always
    N1 = Liste1->addSeparator();
    Beenden1 = Liste1->addAction("Beenden");
    Optionen1 = menuBar()->addMenu("Optionen");
    Funkgeraet1 = Optionen1->addAction("Funkgerät ...");
    Aufnahme1 = Optionen1->addAction("Aufnahme ...");
    BefehlbeiMeldung1 = Optionen1->addAction("Befehl bei Meldung ...");
    N2 = Optionen1->addSeparator();
    BeimAnmeldenstarten1 = Optionen1->addAction("Beim Anmelden starten");
    BeimAnmeldenstarten1->setCheckable(true);
    BerichteinDateischreiben1 = Optionen1->addAction("Berichte in Datei schreiben");
    BerichteinDateischreiben1->setCheckable(true);
    BerichteinDateischreiben1->setChecked(true);
    Verlaufspeichern1 = Optionen1->addAction("Verlauf speichern");
    Verlaufspeichern1->setCheckable(true);
    Verlaufspeichern1->setChecked(true);
    MeldungaufdemBildschirm1 = Optionen1->addAction("Meldung auf dem Bildschirm");
    MeldungaufdemBildschirm1->setCheckable(true);
    MeldungaufdemBildschirm1->setChecked(true);
    Verbindungselbstwiederherstellen1 = Optionen1->addAction("Verbindung selbst wiederherstellen");
    Verbindungselbstwiederherstellen1->setCheckable(true);
    ZeiteninUTC1 = Optionen1->addAction("Zeiten in UTC");
    ZeiteninUTC1->setCheckable(true);
    Verlauf1 = menuBar()->addMenu("Verlauf");
    Verlaufanzeigen1 = Verlauf1->addAction("Verlauf anzeigen ...");
    Hilfe1 = menuBar()->addMenu("Hilfe");
    Info1 = Hilfe1->addAction("Info");
}

void TSkedulaForm::ConnectHandlers() {
    // Queued: a handler then runs from the event loop itself, so an error it raises reaches
    // the application's catch point without passing through the button's or menu's own code.
    const auto queued = Qt::QueuedConnection;
    connect(StartBtn, &QPushButton::clicked, this, &TSkedulaForm::StartBtnClick, queued);
    connect(StopBtn, &QPushButton::clicked, this, &TSkedulaForm::StopBtnClick, queued);
    connect(Laden1, &QAction::triggered, this, &TSkedulaForm::Laden1Click, queued);
    connect(Speicherm1, &QAction::triggered, this, &TSkedulaForm::Speicherm1Click, queued);
    connect(Beenden1, &QAction::triggered, this, &TSkedulaForm::Beenden1Click, queued);
    // Not queued: the checks must be right before the menu shows them.
    connect(Optionen1, &QMenu::aboutToShow, this, &TSkedulaForm::Optionen1Click);
    connect(Funkgeraet1, &QAction::triggered, this, &TSkedulaForm::Funkgeraet1Click, queued);
    connect(Aufnahme1, &QAction::triggered, this, &TSkedulaForm::Aufnahme1Click, queued);
    connect(BefehlbeiMeldung1, &QAction::triggered, this, &TSkedulaForm::BefehlbeiMeldung1Click,
            queued);
    connect(BeimAnmeldenstarten1, &QAction::triggered, this,
            &TSkedulaForm::BeimAnmeldenstarten1Click, queued);
    connect(BerichteinDateischreiben1, &QAction::triggered, this,
            &TSkedulaForm::BerichteinDateischreiben1Click, queued);
    connect(Verlaufspeichern1, &QAction::triggered, this, &TSkedulaForm::Verlaufspeichern1Click,
            queued);
    connect(Verlaufanzeigen1, &QAction::triggered, this, &TSkedulaForm::Verlaufanzeigen1Click,
            queued);
    connect(MeldungaufdemBildschirm1, &QAction::triggered, this,
            &TSkedulaForm::MeldungaufdemBildschirm1Click, queued);
    connect(Verbindungselbstwiederherstellen1, &QAction::triggered, this,
            &TSkedulaForm::Verbindungselbstwiederherstellen1Click, queued);
    connect(ZeiteninUTC1, &QAction::triggered, this, &TSkedulaForm::ZeiteninUTC1Click, queued);
    connect(Info1, &QAction::triggered, this, &TSkedulaForm::Info1Click, queued);
}

void TSkedulaForm::setStatus(const QString& text, const QColor& colour) {
    QPalette colours = StatusLabel->palette();
    colours.setColor(QPalette::Window, colour);
    colours.setColor(QPalette::WindowText, StatusTextColour);
    StatusLabel->setPalette(colours);
    StatusLabel->setText(text);
}

} // namespace skedula
