// The reasons a person can act on, each in its own message.

#include "diagnosis/wording.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "forms/printer.h"
#include "storage/personal_file.h"

namespace bio {
namespace {

TEST(Wording, EachReasonIsInItsMessage) {
  const auto save_failure = [](int error_number) {
    return PersonalFileSaveFailureText({false, "/home/taro/kojinfl.txt", error_number});
  };
  const struct {
    QString message;
    const char* reason;
  } rows[] = {
      {save_failure(EACCES), "書き込みの許可がありません。"},
      {save_failure(ENOSPC), "ディスクの空きが足りません。"},
      {save_failure(EISDIR), "ファイルの場所にフォルダがあります。"},
      {save_failure(ENXIO),
       "ファイルの場所に、ふつうのファイルでないもの（パイプや装置など）があります。"},
      {save_failure(EWOULDBLOCK), "ほかのプログラムがこのファイルを使い続けています。"},
      {PrinterFailureText(PrinterError(PrinterError::Kind::kRefused, 0x0406)),
       "プリンタが見つかりません。"},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(row.message.contains(QString::fromUtf8(row.reason))) << row.message.toStdString();
  }
}

}  // namespace
}  // namespace bio
