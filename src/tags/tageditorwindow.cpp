// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4: the tag editor window.
#include "tags/tageditorwindow.h"

#include "lang/languagetexts.h"
#include "metadata/discnames.h"
#include "metadata/discstartnames.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "tags/coverpicture.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"
#include "ui/screenfit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <initializer_list>

namespace trackmill {

namespace {

// The year of the version 1.1 tag has four bytes.
constexpr int kYearLength = 4;
// The cover as the window shows it, in pixels.
constexpr int kCoverSide = 96;

// Sets an edit's text only when it differs: setText moves the cursor to the
// end and clears the undo history even for an equal text.
void setTextIfDifferent(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

QLineEdit* makeEdit(QWidget* parent, const char* name, bool readOnly)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    return edit;
}

QComboBox* makeGenreList(QWidget* parent, const char* name, const GenreList& genres)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    // The sorted names, each carrying its ID3 genre number: the number goes
    // into a tag, the position into CDPLAYER.INI.
    for (const GenreEntry& entry : genres.sorted())
        box->addItem(entry.name, entry.number);
    box->setMaxVisibleItems(16);
    return box;
}

void addRow(QGridLayout* grid, int row, QWidget* parent, const char* labelName, const char* caption,
            QWidget* field)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(labelName));
    // Beside a one-line field the label is centred; beside the memo it sits on top.
    const bool oneLine = !qobject_cast<QPlainTextEdit*>(field);
    grid->addWidget(label, row, 0, Qt::AlignLeft | (oneLine ? Qt::AlignVCenter : Qt::AlignTop));
    grid->addWidget(field, row, 1);
}

}

TForm4::TForm4(const GenreList& genres, TagFields& tags, DiscNames& names, PictureChoice pictures, QWidget* parent)
    : QDialog(parent)
    , m_genres(genres)
    , m_tags(tags)
    , m_names(names)
    , m_pictures(std::move(pictures))
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("ID3 Tag Editor"));
    const QPalette system = QGuiApplication::palette();
    m_buttonFace = system.color(QPalette::Button);
    m_infoBackground = system.color(QPalette::ToolTipBase);
    m_windowColour = system.color(QPalette::Base);
    buildControls();
    FormCreate();
    // On a small screen (or at scale 2) the content scrolls and the window
    // stays inside the screen.
    scrollWholeWindowWhenCramped(*this);
    keepInsideScreen(*this);
}

TForm4::~TForm4() = default;

void TForm4::buildControls()
{
    m_group1 = new QGroupBox(this);
    m_group1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid1 = new QGridLayout(m_group1);
    m_useId3v1 = new QCheckBox(QStringLiteral("Use ID3v1.1"), m_group1);
    m_useId3v1->setObjectName(QStringLiteral("UseID3v1"));
    m_useId3v1->setChecked(true);
    m_track = makeEdit(m_group1, "Track", true);
    m_title = makeEdit(m_group1, "Title", true);
    m_artist = makeEdit(m_group1, "Artist", false);
    m_album = makeEdit(m_group1, "Album", false);
    m_year = makeEdit(m_group1, "Year", false);
    m_genre = makeGenreList(m_group1, "Genre", m_genres);
    m_comment = makeEdit(m_group1, "Comment", true);
    grid1->addWidget(m_useId3v1, 0, 0, 1, 2);
    addRow(grid1, 1, m_group1, "LabelTrack", "Track #", m_track);
    addRow(grid1, 2, m_group1, "LabelTitle", "Title:", m_title);
    addRow(grid1, 3, m_group1, "LabelArtist", "Artist:", m_artist);
    addRow(grid1, 4, m_group1, "LabelAlbum", "Album:", m_album);
    addRow(grid1, 5, m_group1, "LabelYear", "Year:", m_year);
    addRow(grid1, 6, m_group1, "LabelGenre", "Genre:", m_genre);
    addRow(grid1, 7, m_group1, "LabelComment", "Comment:", m_comment);
    grid1->setRowStretch(8, 1);
    // Wide enough for the 30 characters a version 1.1 text field holds.
    m_comment->setMinimumWidth(m_comment->fontMetrics().averageCharWidth() * 34);

    m_group2 = new QGroupBox(this);
    m_group2->setObjectName(QStringLiteral("GroupBox2"));
    auto* grid2 = new QGridLayout(m_group2);
    m_useId3v2 = new QCheckBox(QStringLiteral("Use ID3v2.3"), m_group2);
    m_useId3v2->setObjectName(QStringLiteral("UseID3v2"));
    m_useId3v2->setChecked(true);
    m_track2 = makeEdit(m_group2, "Track2", true);
    m_title2 = makeEdit(m_group2, "Title2", true);
    m_artist2 = makeEdit(m_group2, "Artist2", false);
    m_album2 = makeEdit(m_group2, "Album2", false);
    m_year2 = makeEdit(m_group2, "Year2", false);
    m_genre2 = makeGenreList(m_group2, "Genre2", m_genres);
    m_comment2 = new QPlainTextEdit(m_group2);
    m_comment2->setObjectName(QStringLiteral("Comment2"));
    m_comment2->setFixedHeight(m_comment2->fontMetrics().lineSpacing() * 3 + 12);
    m_composer2 = makeEdit(m_group2, "Composer2", false);
    m_originalArtist2 = makeEdit(m_group2, "OriginalArtist2", false);
    m_copyright2 = makeEdit(m_group2, "Copyright2", false);
    m_url2 = makeEdit(m_group2, "URL2", true);
    m_encodedBy2 = makeEdit(m_group2, "EncodedBy2", true);
    grid2->addWidget(m_useId3v2, 0, 0, 1, 2);
    addRow(grid2, 1, m_group2, "LabelTrack2", "Track #/*", m_track2);
    addRow(grid2, 2, m_group2, "LabelTitle2", "Title:", m_title2);
    addRow(grid2, 3, m_group2, "LabelArtist2", "Artist:", m_artist2);
    addRow(grid2, 4, m_group2, "LabelAlbum2", "Album:", m_album2);
    addRow(grid2, 5, m_group2, "LabelYear2", "Year:", m_year2);
    addRow(grid2, 6, m_group2, "LabelGenre2", "Genre:", m_genre2);
    addRow(grid2, 7, m_group2, "LabelComment2", "Comment:", m_comment2);
    addRow(grid2, 8, m_group2, "LabelComposer2", "Composer:", m_composer2);
    addRow(grid2, 9, m_group2, "LabelOriginalArtist2", "Original Artist:", m_originalArtist2);
    addRow(grid2, 10, m_group2, "LabelCopyright2", "Copyright:", m_copyright2);
    addRow(grid2, 11, m_group2, "LabelURL2", "URL:", m_url2);
    addRow(grid2, 12, m_group2, "LabelEncodedBy2", "Encoded by:", m_encodedBy2);

    m_save = new QPushButton(QStringLiteral(" Save"), this);
    m_save->setObjectName(QStringLiteral("Save"));
    m_save->setAutoDefault(false);
    m_cancel = new QPushButton(QStringLiteral(" Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setAutoDefault(false);

    // The disc's front cover and the buttons that change it, under the
    // version 1.1 group.
    auto* coverLabel = new QLabel(QStringLiteral("Cover:"), this);
    coverLabel->setObjectName(QStringLiteral("LabelCover"));
    m_cover = new QLabel(this);
    m_cover->setObjectName(QStringLiteral("CoverPicture"));
    m_cover->setFixedSize(kCoverSide, kCoverSide);
    m_cover->setFrameShape(QFrame::StyledPanel);
    m_cover->setAlignment(Qt::AlignCenter);
    m_choosePicture = new QPushButton(QStringLiteral(" Choose picture"), this);
    m_choosePicture->setObjectName(QStringLiteral("BtnChoosePicture"));
    m_choosePicture->setAutoDefault(false);
    m_noPicture = new QPushButton(QStringLiteral(" No picture"), this);
    m_noPicture->setObjectName(QStringLiteral("BtnNoPicture"));
    m_noPicture->setAutoDefault(false);
    auto* cover = new QHBoxLayout;
    cover->addWidget(coverLabel, 0, Qt::AlignTop);
    cover->addWidget(m_cover);
    auto* coverButtons = new QVBoxLayout;
    coverButtons->addWidget(m_choosePicture);
    coverButtons->addWidget(m_noPicture);
    coverButtons->addStretch(1);
    cover->addLayout(coverButtons);
    cover->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(m_group1);
    left->addSpacing(8);
    left->addLayout(cover);
    left->addStretch(1);
    auto* groups = new QHBoxLayout;
    groups->addLayout(left);
    groups->addWidget(m_group2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(groups);
    outer->addLayout(buttons);
    // A fixed-size dialog: the layout decides the size once.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_useId3v1, &QCheckBox::toggled, this, &TForm4::UseID3v1Click);
    connect(m_useId3v2, &QCheckBox::toggled, this, &TForm4::UseID3v2Click);
    connect(m_year, &QLineEdit::textChanged, this, &TForm4::YearChange);
    connect(m_artist, &QLineEdit::textChanged, this, &TForm4::ArtistChange);
    connect(m_album, &QLineEdit::textChanged, this, &TForm4::AlbumChange);
    for (QLineEdit* edit : {m_title, m_year, m_comment, m_track, m_title2, m_artist2, m_album2, m_year2, m_composer2,
                            m_originalArtist2, m_copyright2, m_url2, m_encodedBy2})
        connect(edit, &QLineEdit::textChanged, this, &TForm4::takeFields);
    for (QComboBox* box : {m_genre, m_genre2})
        connect(box, &QComboBox::currentIndexChanged, this, &TForm4::takeFields);
    connect(m_comment2, &QPlainTextEdit::textChanged, this, &TForm4::takeFields);
    connect(m_save, &QPushButton::clicked, this, &TForm4::SaveClick);
    connect(m_cancel, &QPushButton::clicked, this, &TForm4::CancelClick);
    connect(&m_tags, &TagFields::changed, this, &TForm4::showFields);
    connect(m_choosePicture, &QPushButton::clicked, this, &TForm4::BtnChoosePictureClick);
    connect(m_noPicture, &QPushButton::clicked, this, &TForm4::BtnNoPictureClick);
    connect(&m_names, &DiscNames::coverChanged, this, &TForm4::showCover);
}

void TForm4::FormCreate()
{
    showFields();
    showCover(m_names.cover());
    UseID3v1Click();
    UseID3v2Click();
}

void TForm4::showFields()
{
    const TagEditorFields& f = m_tags.fields();
    m_showing = true;
    setTextIfDifferent(m_title, f.title);
    setTextIfDifferent(m_artist, f.artist);
    setTextIfDifferent(m_album, f.album);
    setTextIfDifferent(m_year, f.year);
    setTextIfDifferent(m_comment, f.comment);
    setTextIfDifferent(m_title2, f.title2);
    setTextIfDifferent(m_artist2, f.artist2);
    setTextIfDifferent(m_album2, f.album2);
    setTextIfDifferent(m_year2, f.year2);
    setTextIfDifferent(m_composer2, f.composer2);
    setTextIfDifferent(m_originalArtist2, f.originalArtist2);
    setTextIfDifferent(m_copyright2, f.copyright2);
    setTextIfDifferent(m_url2, f.url2);
    setTextIfDifferent(m_encodedBy2, f.encodedBy2);
    // The memo holds CR LF between its lines in the tag.
    QString comment2 = f.comment2;
    comment2.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (m_comment2->toPlainText() != comment2)
        m_comment2->setPlainText(comment2);
    if (m_tags.genrePosition() >= 0)
        m_genre->setCurrentIndex(m_tags.genrePosition());
    if (m_tags.genre2Position() >= 0)
        m_genre2->setCurrentIndex(m_tags.genre2Position());
    m_useId3v1->setChecked(m_tags.useId3v1());
    m_useId3v2->setChecked(m_tags.useId3v2());
    m_showing = false;
}

void TForm4::takeFields()
{
    if (!m_showing)
        m_tags.setFields(fields());
}

void TForm4::setFieldColour(QWidget* field, const QColor& colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    // A drop-down list paints its face with the button colour.
    if (qobject_cast<QComboBox*>(field))
        palette.setColor(QPalette::Button, colour);
    field->setPalette(palette);
}

void TForm4::UseID3v1Click()
{
    const bool on = m_useId3v1->isChecked();
    if (!m_showing)
        m_tags.setUseId3v1(on);
    for (QWidget* field : std::initializer_list<QWidget*>{m_track, m_title, m_comment})
        setFieldColour(field, on ? m_infoBackground : m_buttonFace);
    for (QWidget* field : std::initializer_list<QWidget*>{m_artist, m_album, m_year, m_genre})
        setFieldColour(field, on ? m_windowColour : m_buttonFace);
    // Artist and Album stay editable: they also carry the disc's names.
    m_year->setReadOnly(!on);
    m_genre->setEnabled(on);
}

void TForm4::UseID3v2Click()
{
    const bool on = m_useId3v2->isChecked();
    if (!m_showing)
        m_tags.setUseId3v2(on);
    for (QWidget* field : std::initializer_list<QWidget*>{m_track2, m_title2, m_encodedBy2, m_url2})
        setFieldColour(field, on ? m_infoBackground : m_buttonFace);
    for (QWidget* field : std::initializer_list<QWidget*>{m_artist2, m_album2, m_year2, m_genre2, m_comment2,
                           m_originalArtist2, m_composer2, m_copyright2})
        setFieldColour(field, on ? m_windowColour : m_buttonFace);
    m_year2->setReadOnly(!on);
    m_genre2->setEnabled(on);
}

void TForm4::YearChange()
{
    const QString text = m_year->text();
    if (text.size() <= kYearLength)
        return;
    const int cursor = m_year->cursorPosition();
    m_year->setText(text.left(kYearLength));
    m_year->setCursorPosition(std::min(cursor, kYearLength));
}

void TForm4::ArtistChange()
{
    if (!m_showing)
        m_tags.editArtist(m_artist->text());
}

void TForm4::AlbumChange()
{
    if (!m_showing)
        m_tags.editAlbum(m_album->text());
}

void TForm4::ID3Initialization()
{
    m_tags.initialize(m_names.artist(), m_names.album());
}

TagEditorFields TForm4::fields() const
{
    TagEditorFields f;
    f.title = m_title->text();
    f.artist = m_artist->text();
    f.album = m_album->text();
    f.year = m_year->text();
    if (m_genre->currentIndex() >= 0)
        f.genre = m_genre->currentData().toInt();
    f.comment = m_comment->text();

    f.title2 = m_title2->text();
    f.artist2 = m_artist2->text();
    f.album2 = m_album2->text();
    f.year2 = m_year2->text();
    if (m_genre2->currentIndex() >= 0)
        f.genre2 = m_genre2->currentText();
    // The memo's lines joined by CR LF, no line break after the last.
    f.comment2 = m_comment2->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    f.composer2 = m_composer2->text();
    f.originalArtist2 = m_originalArtist2->text();
    f.copyright2 = m_copyright2->text();
    f.url2 = m_url2->text();
    f.encodedBy2 = m_encodedBy2->text();
    return f;
}

bool TForm4::useId3v1() const
{
    return m_tags.useId3v1();
}

bool TForm4::useId3v2() const
{
    return m_tags.useId3v2();
}

void TForm4::setUseId3v1(bool on)
{
    m_tags.setUseId3v1(on);
}

void TForm4::setUseId3v2(bool on)
{
    m_tags.setUseId3v2(on);
}

void TForm4::setYears(const QString& year)
{
    setStartYears(m_tags, year);
}

QString TForm4::year2() const
{
    return m_tags.fields().year2;
}

void TForm4::setYear2(const QString& year)
{
    m_tags.setYear2(year);
}

void TForm4::setGenrePosition(int position)
{
    m_tags.setGenrePosition(position);
}

void TForm4::applySettingsNames(const QString& artist, const QString& album, int genrePosition)
{
    m_tags.applySettingsNames(artist, album, genrePosition);
}

void TForm4::ShowID3Form()
{
    m_saved.useId3v1 = m_useId3v1->isChecked();
    m_saved.useId3v2 = m_useId3v2->isChecked();
    m_saved.year = m_year->text();
    m_saved.year2 = m_year2->text();
    m_saved.composer2 = m_composer2->text();
    m_saved.originalArtist2 = m_originalArtist2->text();
    m_saved.copyright2 = m_copyright2->text();
    m_saved.firstCommentLine2 = m_comment2->document()->firstBlock().text();

    adjustSize();
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    exec();
}

void TForm4::SaveClick()
{
    accept();
}

void TForm4::CancelClick()
{
    // Setting a box runs its click handler, so the group's look follows.
    m_useId3v1->setChecked(m_saved.useId3v1);
    m_useId3v2->setChecked(m_saved.useId3v2);
    m_year->setText(m_saved.year);
    m_year2->setText(m_saved.year2);
    setFirstCommentLine2(m_saved.firstCommentLine2);
    m_composer2->setText(m_saved.composer2);
    m_originalArtist2->setText(m_saved.originalArtist2);
    m_copyright2->setText(m_saved.copyright2);
    reject();
}

void TForm4::showCover(const CoverArt& cover)
{
    QPixmap picture;
    if (cover.data.isEmpty() || !picture.loadFromData(cover.data)) {
        m_cover->clear();
        return;
    }
    m_cover->setPixmap(picture.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TForm4::BtnChoosePictureClick()
{
    const LanguageTexts& texts = m_pictures.texts();
    const QStringList files = m_pictures.shell.selectFiles(
        texts.choosePicture, QDir::homePath(), QStringLiteral("*.jpg *.jpeg *.png *.bmp *.gif *.webp"));
    if (files.isEmpty())
        return;
    QString why;
    const std::optional<CoverArt> cover = coverFromFile(files.first(), &why);
    if (!cover) {
        m_pictures.boxes.error(QStringLiteral("  ") + texts.pictureNotUsable + QStringLiteral(".  \n\n") + why);
        return;
    }
    m_names.setCover(*cover);
}

void TForm4::BtnNoPictureClick()
{
    m_names.setCover({});
}

void TForm4::setFirstCommentLine2(const QString& line)
{
    // Only the first line is remembered; the lines after it stay as edited.
    QTextCursor cursor(m_comment2->document()->firstBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

}
