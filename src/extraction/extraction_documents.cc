#include "extraction/extraction_documents.h"

namespace mirune {

std::string EstimatedCompositionWarning(const std::vector<std::string>& documents) {
  if (documents.empty()) return {};
  std::string out =
      "注意: 次の文書では、連結したテキストフレームへの文字の振り分けを推定しました"
      "（IDML には組版の結果が入っていないため）。フレームの境目付近の語句はノンブルが"
      "ずれていることがあります。InDesign で確認して下さい:";
  for (const std::string& name : documents) out += "\n  " + name;
  return out;
}

}  // namespace mirune
