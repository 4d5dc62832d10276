#include "diagnosis/wording.h"

#include <QDir>
#include <cerrno>

#include "diagnosis/graph.h"
#include "engine/numbers.h"
#include "forms/printer.h"
#include "storage/personal_file.h"

namespace bio {

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
QString Number(double value) { return QString::fromStdString(NumberToText(value)); }

// 明治・大正・昭和・平成・令和, from the era table.
QString EraNames() {
  QString names;
  for (const Era& era : EraTable) {
    if (!names.isEmpty()) names += Text("・");
    names += Text(era.name);
  }
  return names;
}

// The reason a save failed, from its errno.
const char* SaveFailureReason(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return "書き込みの許可がありません。";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return "ディスクの空きが足りません。";
    case EROFS:
      return "読み取り専用のファイルシステムです。";
    case EISDIR:
      return "ファイルの場所にフォルダがあります。";
    case ENOENT:
    case ENOTDIR:
      return "保存先のフォルダがありません。";
    case ENXIO:
      return "ファイルの場所に、ふつうのファイルでないもの（パイプや装置など）があります。";
    case EWOULDBLOCK:
      return "ほかのプログラムがこのファイルを使い続けています。";
    default:
      return "保存中に問題が起きました。";
  }
}

// CUPS words its refusals in English; the common ones are said here in
// Japanese, the rest with the plain sentence alone.
const char* RefusalReason(std::optional<int> ipp_status) {
  switch (ipp_status.value_or(0)) {
    case 0x0401:  // forbidden
    case 0x0402:  // not authenticated
    case 0x0403:  // not authorized
      return "このプリンタで印刷する許可がありません。";
    case 0x0406:  // not found
    case 0x0407:  // gone
      return "プリンタが見つかりません。";
    case 0x0506:  // not accepting jobs
      return "プリンタが新しい印刷を受け付けない設定になっています。";
    default:
      return "";
  }
}

// 5日, or 5日と6日, or 2日、16日と30日.
QString DayList(const std::vector<int>& days) {
  QString list;
  for (std::size_t i = 0; i < days.size(); ++i) {
    if (i > 0) list += Text(i + 1 == days.size() ? "と" : "、");
    list += Text("%1日").arg(days[i]);
  }
  return list;
}

QString CurveSentences(const char* rhythm, const CurveDays& curve, int day) {
  QString text = Text("%1は%2に最も高く、%3に最も低くなります。")
                     .arg(Text(rhythm), DayList(curve.highest), DayList(curve.lowest));
  text += curve.crossings.empty()
              ? Text("中心線を横切る日はありません。")
              : Text("中心線を横切るのは%1です。").arg(DayList(curve.crossings));
  const char* side = curve.value_on_day > 0   ? "中心線より上で、"
                     : curve.value_on_day < 0 ? "中心線より下で、"
                                              : "中心線上で、";
  const char* trend = curve.trend > 0   ? "上がっています。"
                      : curve.trend < 0 ? "下がっています。"
                                        : "横ばいです。";
  return text + Text("今日%1日は").arg(day) + Text(side) + Text(trend);
}

}  // namespace

QString GraphNameText(double month) { return Number(month) + Text("月のバイオリズムグラフ"); }

QString GraphDescriptionText(double month, const GraphDays& days) {
  return Text("%1月1日から%2日までの、感情・知性・身体の曲線です。")
             .arg(Number(month))
             .arg(days.columns) +
         CurveSentences("感情", days.emotion, days.day) +
         CurveSentences("知性", days.intellect, days.day) +
         CurveSentences("身体", days.physical, days.day);
}

QString RejectionText(const Rejection& r) {
  // Each sentence follows its frame: 「生年月日入力」の or 「現在の西暦年月日入力」の.
  static const char kChooseEra[] = "元号（%1）を選んでください。";
  static const char kEraYear[] =
      "年には、元号の年を0以上の整数で入力してください（元年は「1」か「元」）。";
  static const char kWesternYear[] = "年には、西暦の年を1から%1までの整数で入力してください。";
  static const char kEraYearTooLate[] =
      "年には、%1の年を%2までの整数で入力してください（計算できるのは西暦%3年までです）。";
  static const char kMonth[] = "月には、1から12までの整数を入力してください。";
  static const char kDay[] = "日には、1から%1までの整数を入力してください（%2は%1日までです）。";

  using Box = Rejection::Box;
  const bool birth = r.frame() == Rejection::Frame::kBirth;
  QString frame = Text(birth ? "「生年月日入力」の" : "「現在の西暦年月日入力」の");
  // The era and year of a birth date, or 西暦 and the year of today's.
  const QString calendar = r.era() ? Text(r.era()->name) : Text("西暦");
  switch (r.box()) {
    case Box::kEra:
      return frame + Text(kChooseEra).arg(EraNames());
    case Box::kYear:
      return frame + (birth ? Text(kEraYear) : Text(kWesternYear).arg(kLastYear));
    case Box::kYearTooLate: {
      // Only a birth year, which always has its era, can be a whole number
      // and still lie past the last year: today's box refuses such a year as
      // any other out of range.
      const int last_era_year = kLastYear - r.era()->base_year + 1;
      return frame + Text(kEraYearTooLate).arg(calendar).arg(last_era_year).arg(kLastYear);
    }
    case Box::kMonth:
      return frame + Text(kMonth);
    case Box::kDay: {
      // The month as a person reads it, e.g. 昭和50年2月.
      const Rejection::Month& m = r.month();
      const QString month = calendar + Number(m.year) + Text("年") + Number(m.month) + Text("月");
      return frame + Text(kDay).arg(m.days).arg(month);
    }
  }
  return frame;
}

QString NotComputableText() {
  return Text(
      "入力された日付では計算できません。\n"
      "年・月・日の数字を確かめて、もう一度実行してください。");
}

QString PersonalFileSaveFailureText(const SaveResult& failure) {
  return Text("個人データ（kojinfl.txt）を保存できませんでした。\n") +
         Text("「%1」に書き込めませんでした。").arg(QString::fromStdString(failure.path.string())) +
         Text(SaveFailureReason(failure.error_number)) + Text("\n\n診断はこのまま続けます。");
}

QString PrinterFailureText(const PrinterError& error) {
  if (error.kind() == PrinterError::Kind::kNoDefaultPrinter) {
    return Text("プリンタが見つかりません。プリンタを設定してから、もう一度印刷してください。");
  }
  return Text("プリンタが印刷を受け付けませんでした。") + Text(RefusalReason(error.ipp_status())) +
         Text("\nプリンタの設定を確かめてから、もう一度印刷してください。");
}

Question OfferPdfQuestion() {
  return {.text = Text("プリンタが見つかりません。\n"
                       "印刷する代わりに、このページをPDFファイルとして保存しますか？"),
          .yes = Text("はい"),
          .no = Text("いいえ")};
}

SaveDialogWords SavePdfDialogWords() {
  return {.title = Text("PDFファイルとして保存"),
          .filter = Text("PDFファイル (*.pdf)"),
          .look_in = Text("場所："),
          .file_name = Text("ファイル名："),
          .file_type = Text("ファイルの種類："),
          .save = Text("保存"),
          .cancel = Text("キャンセル")};
}

QString PdfSaveFailureText(const QString& path, int error_number) {
  return Text("PDFファイル「%1」を保存できませんでした。").arg(QDir::toNativeSeparators(path)) +
         Text(SaveFailureReason(error_number)) +
         Text("\n保存する場所と名前を確かめて、もう一度保存してください。");
}

QString EventFailureText(const char* action, EventFailure failure) {
  const char* reason = failure == EventFailure::kOutOfMemory ? "メモリが足りなくなりました。"
                                                             : "思いがけない問題が起きました。";
  return Text("「%1」の途中で").arg(Text(action)) + Text(reason) +
         Text("\nプログラムはこのまま続けます。");
}

const char kNoDesktopSessionText[] =
    "バイオリズム診断にはデスクトップの画面が必要です。画面なしで動かすには xvfb-run "
    "を使ってください。\n"
    "biorhythm needs a desktop session (DISPLAY for X11, WAYLAND_DISPLAY for Wayland); to run it "
    "without a screen, use xvfb-run.\n";

std::string HelpText(ProgramCopy copy) {
  const bool installed = copy == ProgramCopy::Installed;
  std::string text =
      "Usage: biorhythm [--help | --version]\n\n"
      "バイオリズム診断：名前と生年月日（元号・年・月・日）から、生まれてからの日数、\n"
      "身体・感情・知性の周期の位置、その日の診断メッセージと一か月のグラフを表示し、\n"
      "印刷するデスクトップのプログラムです。\n";
  text += installed ? "最後に診断した人は ~/.local/share/biorhythm/kojinfl.txt（XDG_DATA_HOME\n"
                      "があれば $XDG_DATA_HOME/biorhythm/kojinfl.txt）に記録し、次に起動した\n"
                      "ときに入力欄へ戻します。\n\n"
                    : "最後に診断した人は、このプログラムのフォルダに書き込めるときはそこの\n"
                      "kojinfl.txt に、書き込めないときは ~/.local/share/biorhythm/kojinfl.txt\n"
                      "に記録し、次に起動したときに入力欄へ戻します。\n\n";
  text +=
      "Biorhythm diagnosis: from a name and a birth date as a Japanese era (year,\n"
      "month and day) it shows the days lived, the day in the physical, emotion and\n"
      "intellect cycles, the day's diagnosis messages and a graph of the month, and\n"
      "prints them. The program and its diagnosis are in Japanese.\n";
  text += installed ? "The last person diagnosed is kept in ~/.local/share/biorhythm/kojinfl.txt\n"
                      "($XDG_DATA_HOME/biorhythm/kojinfl.txt when XDG_DATA_HOME is set) and\n"
                      "filled in again at the next start.\n\n"
                    : "The last person diagnosed is kept in kojinfl.txt beside this program when\n"
                      "its user may write there, else in ~/.local/share/biorhythm/kojinfl.txt,\n"
                      "and filled in again at the next start.\n\n";
  return text +
         "  -h, --help          この説明を表示する / show this help\n"
         "  -V, -v, --version   版を表示する / show the version\n"
         "ほかのオプションはありません（-platform など Qt 自身のものは Qt が読みます）。\n"
         "It takes no other options; Qt's own, such as -platform, go to Qt.\n";
}

}  // namespace bio
