#include "platform/ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace nv::ui {

namespace {

// Texts of Qt's dialogs that its Japanese translation leaves in English,
// and the page-down key named as keyboards label it.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        static const struct { const char* context; const char* source; const char* japanese; } kTexts[] = {
            {"QPrintSettingsOutput", "Pages", "ページ指定"},
            {"QAbstractFileIconProvider", "Folder", "フォルダー"},
            {"QAbstractFileIconProvider", "Drive", "ドライブ"},
            {"QShortcut", "PgDown", "PgDn"},
        };
        if (!context || !sourceText) return {};
        for (const auto& t : kTexts)
            if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.source) == 0)
                return QString::fromUtf8(t.japanese);
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool LoadQtTranslation(QCoreApplication& app)
{
    // The screens are Japanese whatever the desktop's locale is: Qt's texts
    // that follow the locale (the kinds of file in a file dialog, sizes)
    // too.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    bool loaded = translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"), QStringLiteral("_"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) loaded = app.installTranslator(translator);
    else delete translator;
    // Asked first, being installed last.
    app.installTranslator(new MissingQtTexts(&app));
    return loaded;
}

} // namespace nv::ui
