#include "packaging/launchermessages.h"

#include "common/keytexts.h"
#include "common/settingsfile.h"
#include "common/urllist.h"

namespace qh::launcher {

QString notAFolderText(const QString& path)
{
    return u"「%1」はフォルダではないため、授業用のフォルダとして使えません。"_s.arg(path);
}

QString notCreatedText(const QString& path)
{
    return u"授業用のフォルダ「%1」を作れません。"_s.arg(path);
}

QString templateMissingText(const QString& fileName)
{
    return u"ひな形のファイル%1がみつかりません。パッケージを入れ直してください。"_s.arg(fileName);
}

QString classFolderCreatedText(const QString& path, const QByteArray& publicKey)
{
    return u"授業用のフォルダ「%1」を作りました。設定ファイル%2とｗｅｂアドレスリスト%3はこのフォルダにあります。"_s
               .arg(path, kSettingsFileName, kDefaultUrlListFileName) +
           u"\n先生の鍵も作りました。子機には%1を配ってください（%2）。"_s.arg(kTeacherPublicKeyFileName,
                                                                               fingerprintText(publicKey));
}

QString programNotStartedText(const QString& name)
{
    return u"%1を起動できません。"_s.arg(name);
}

QString pagesText(int pages)
{
    return pages < 0 ? kUnknownPagesText : QString::number(pages);
}

QString lastChangedText(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(u"yyyy/MM/dd HH:mm"_s) : QString();
}

} // namespace qh::launcher
