// SPDX-License-Identifier: GPL-2.0-or-later
// TForm5: the About window.
#include "aboutwindow.h"

#include "abouttexts.h"
#include "languagefile.h"
#include "languagelist.h"
#include "platform/systemservices.h"
#include "ui/pictures.h"
#include "ui/pixelpicture.h"
#include "ui/screenfit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trackmill {

namespace {

// Client area in pixels.
constexpr int kWidth = 709;
constexpr int kHeight = 420;

struct FlagPicture
{
    const char* image;  // objectName of the picture
    const char* stem;   // famfamfam flag, 16 by 11
};

// By position in the language list.
const FlagPicture kFlags[languageCount] = {
    {"Image62", "gb"}, {"Image39", "pl"}, {"Image41", "de"}, {"Image64", "fr"},
    {"Image40", "jp"}, {"Image48", "br"}, {"Image49", "es"}, {"Image44", "cz"},
    {"Image52", "sk"}, {"Image43", "nl"}, {"Image53", "it"}, {"Image42", "se"},
    {"Image55", "hu"}, {"Image45", "ru"}, {"Image56", "no"}, {"Image57", "hr"},
    {"Image58", "il"}, {"Image59", "ee"}, {"Image60", "tw"}, {"Image65", "cn"},
    {"Image66", "dk"}, {"Image67", "tr"}, {"Image71", "gr"}, {"Image68", "ro"},
    {"Image70", "lv"}, {"Image72", "al"}, {"Image69", "fi"}, {"Image73", "cl"},
    {"Image74", "catalonia"}, {"Image77", "rs"},
};

// Home pages of the projects the credit lines name, by the line's first part.
const struct
{
    const char* name;
    const char* url;
} kLinks[] = {
    {"Qt", "https://www.qt.io/"},
    {"libcdio", "https://www.gnu.org/software/libcdio/"},
    {"LAME", "https://lame.sourceforge.io/"},
    {"libsndfile", "https://libsndfile.github.io/libsndfile/"},
    {"libcurl", "https://curl.se/libcurl/"},
    {"famfamfam flag icons", "http://www.famfamfam.com/lab/icons/flags/"},
    {"The freedb and gnudb communities", "https://gnudb.org/"},
};

// The program's own picture for the author group: a compact disc, 48 by 48.
QPixmap discPicture()
{
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shine(QPointF(18, 16), 30);
    shine.setColorAt(0, QColor(250, 250, 255));
    shine.setColorAt(0.6, QColor(190, 205, 225));
    shine.setColorAt(1, QColor(150, 165, 200));
    p.setPen(QPen(QColor(90, 100, 120), 1));
    p.setBrush(shine);
    p.drawEllipse(QRectF(2, 2, 44, 44));
    p.setBrush(QColor(235, 235, 240));
    p.drawEllipse(QRectF(17, 17, 14, 14));
    p.setBrush(Qt::transparent);
    p.drawEllipse(QRectF(21, 21, 6, 6));
    return picture;
}

QVBoxLayout* column(QWidget* parent)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    return layout;
}

QLabel* plainLine(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}

TForm5::TForm5(const AppPaths& paths, DesktopShell& shell, QWidget* parent)
    : QDialog(parent), m_paths(paths), m_shell(shell)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);  // flat tabs
    TabSheet1 = buildAuthorPage();
    TabSheet2 = buildTranslatorsPage();
    PageControl1->addTab(TabSheet1, QStringLiteral("Author"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Translators"));

    Ok = new QPushButton(QStringLiteral("   OK "), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    Ok->setFixedSize(97, 30);
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, &TForm5::OkClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PageControl1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    layout->addLayout(buttons);
    // On a small screen (or at scale 2) the content scrolls and the window
    // stays inside the screen.
    scrollWholeWindowWhenCramped(*this);
    keepInsideScreen(*this);
}

QWidget* TForm5::buildAuthorPage()
{
    const AboutCredits credits = AboutCredits::standard();
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    GroupBox2 = new QGroupBox(page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    LabelAuthor = plainLine(QStringLiteral("Author: ") + AboutTexts::authorDetails(), GroupBox2);
    LabelAuthor->setObjectName(QStringLiteral("LabelAuthor"));
    LabelLanguage = plainLine(QStringLiteral("Programming language: ") + AboutTexts::programmingLine(),
                              GroupBox2);
    LabelLanguage->setObjectName(QStringLiteral("LabelLanguage"));
    LabelFreeware = plainLine(QStringLiteral("Freeware - September 2001"), GroupBox2);
    LabelFreeware->setObjectName(QStringLiteral("LabelFreeware"));
    // The flag of the language in use (GetInformationAboutLNG); the disc
    // until a language file has been named.
    ImageLogo = new PixelPicture(GroupBox2);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setFixedSize(48, 48);
    ImageLogo->setPixmap(discPicture());
    auto* picture = ImageLogo;
    auto* authorLines = new QVBoxLayout;
    authorLines->addWidget(LabelAuthor);
    authorLines->addWidget(LabelLanguage);
    authorLines->addWidget(LabelFreeware);
    auto* author = new QHBoxLayout(GroupBox2);
    author->setContentsMargins(8, 4, 8, 4);
    author->addLayout(authorLines, 1);
    author->addWidget(picture);

    Grb_Thanks_Developers = new QGroupBox(
        QStringLiteral("Special thanks for support and some useful technical clues about:"), page);
    Grb_Thanks_Developers->setObjectName(QStringLiteral("Grb_Thanks_Developers"));
    auto* developers = column(Grb_Thanks_Developers);
    for (const QString& line : credits.developers)
        developers->addWidget(creditLine(line, Grb_Thanks_Developers));
    developers->addStretch(1);

    Grb_Thanks_Others = new QGroupBox(QStringLiteral("Others"), page);
    Grb_Thanks_Others->setObjectName(QStringLiteral("Grb_Thanks_Others"));
    auto* others = column(Grb_Thanks_Others);
    for (const QString& line : credits.others)
        others->addWidget(creditLine(line, Grb_Thanks_Others));
    others->addStretch(1);

    GroupBox1 = new QGroupBox(QStringLiteral("Icon was designed by:"), page);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    column(GroupBox1)->addWidget(plainLine(credits.iconDesigner, GroupBox1));
    GroupBox3 = new QGroupBox(QStringLiteral("Logo was designed by:"), page);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    column(GroupBox3)->addWidget(plainLine(credits.logoDesigner, GroupBox3));

    // Author and libraries across the page; the others beside the designers below.
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(4);
    grid->addWidget(GroupBox2, 0, 0, 1, 2);
    grid->addWidget(Grb_Thanks_Developers, 1, 0, 1, 2);
    grid->addWidget(Grb_Thanks_Others, 2, 0, 2, 1);
    grid->addWidget(GroupBox1, 2, 1);
    grid->addWidget(GroupBox3, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return page;
}

QWidget* TForm5::buildTranslatorsPage()
{
    const AboutCredits credits = AboutCredits::standard();
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));

    Grb_Thanks_Translators =
        new QGroupBox(QStringLiteral("Special thanks for translation, testing and support"), page);
    Grb_Thanks_Translators->setObjectName(QStringLiteral("Grb_Thanks_Translators"));
    // Three columns of ten: each line beside its language's flag.
    auto* translators = new QGridLayout(Grb_Thanks_Translators);
    translators->setContentsMargins(6, 4, 6, 4);
    translators->setHorizontalSpacing(4);
    translators->setVerticalSpacing(1);
    constexpr int kRows = 10;
    for (int i = 0; i < languageCount; ++i) {
        auto* flag = new QLabel(Grb_Thanks_Translators);
        flag->setObjectName(QLatin1String(kFlags[i].image));
        flag->setPixmap(pictures::flag(QLatin1String(kFlags[i].stem)));
        flag->setFixedSize(16, 11);
        m_flags.append(flag);
        const QString line = i < credits.translators.size() ? credits.translators.at(i) : QString();
        translators->addWidget(flag, i % kRows, 2 * (i / kRows));
        translators->addWidget(plainLine(line, Grb_Thanks_Translators), i % kRows,
                               2 * (i / kRows) + 1);
    }

    Grb_Thanks_Testers = new QGroupBox(QStringLiteral("Testers:"), page);
    Grb_Thanks_Testers->setObjectName(QStringLiteral("Grb_Thanks_Testers"));
    auto* testers = column(Grb_Thanks_Testers);
    for (const QString& line : credits.testers)
        testers->addWidget(plainLine(line, Grb_Thanks_Testers));

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Grb_Thanks_Translators, 1);
    layout->addWidget(Grb_Thanks_Testers);
    return page;
}

// A credit line whose project has a home page shows its name as a link,
// opened through the desktop shell rather than by the label itself.
QLabel* TForm5::creditLine(const QString& line, QWidget* parent)
{
    const QString name = line.section(QStringLiteral(" - "), 0, 0);
    for (const auto& link : kLinks) {
        if (name != QLatin1String(link.name))
            continue;
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::RichText);
        label->setText(QStringLiteral("<a href=\"%1\">%2</a>%3")
                           .arg(QLatin1String(link.url), name.toHtmlEscaped(),
                                line.mid(name.size()).toHtmlEscaped()));
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        label->setOpenExternalLinks(false);
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &QLabel::linkActivated, this, &TForm5::openLink);
        return label;
    }
    return plainLine(line, parent);
}

void TForm5::openLink(const QString& url)
{
    m_shell.openUrl(url);
}

void TForm5::GetInformationAboutLNG(const QString& fileName)
{
    const LanguageFile file = LanguageFile::open(m_paths.languagesDir(), fileName);
    const AboutTexts texts = AboutTexts::fromFile(file);
    setWindowTitle(texts.title);
    LabelAuthor->setText(texts.author);
    LabelLanguage->setText(texts.programmingLanguage);
    LabelFreeware->setText(texts.freeware);
    Grb_Thanks_Developers->setTitle(texts.thanksAssistants);
    Grb_Thanks_Others->setTitle(texts.thanksOthers);
    Grb_Thanks_Testers->setTitle(texts.thanksTesters);
    Grb_Thanks_Translators->setTitle(texts.thanksTranslators);
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), texts.authorTab);
    PageControl1->setTabText(PageControl1->indexOf(TabSheet2), texts.translatorsTab);
    for (int i = 0; i < languageCount; ++i)
        if (fileName.compare(QLatin1String(languageList()[size_t(i)].fileName), Qt::CaseInsensitive) == 0) {
            ImageLogo->setPixmap(pictures::flag(QLatin1String(kFlags[i].stem)));
            break;
        }
}

QPixmap TForm5::flagPicture(int languageIndex) const
{
    if (languageIndex < 0 || languageIndex >= m_flags.size())
        return QPixmap();
    return m_flags.at(languageIndex)->pixmap();
}

QString TForm5::flagImageName(int languageIndex)
{
    if (languageIndex < 0 || languageIndex >= languageCount)
        return QString();
    return QLatin1String(kFlags[languageIndex].image);
}

void TForm5::OkClick()
{
    accept();  // hides the window; it lives on for the next opening
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

}
