#pragma once

// Test helper: an indesign::Application that forwards to another one (the embedded engine)
// and logs the calls keyword marking cares about: "Search(<keyword>)" per story,
// "ChangeText(<FindWhat>)", "Open(<path>)". A call can be made to fail by its log text.

#include <memory>
#include <string>
#include <vector>

#include "automation/indesign.h"

namespace mirune::testing_util {

struct CallLog {
  std::vector<std::string> calls;
  // A call whose log text equals this fails with kHostError (after being logged).
  std::string fail_on;
  // Number of matching calls to let through before failing (0 = fail the first).
  int fail_after = 0;

  Status Record(std::string call) {
    calls.push_back(call);
    if (!fail_on.empty() && call == fail_on) {
      if (fail_after-- <= 0) return Status(ErrorCode::kHostError, "host refused " + call);
    }
    return Status::Ok();
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
};

class LoggingStory : public indesign::Story {
 public:
  LoggingStory(std::unique_ptr<indesign::Story> inner, CallLog& log)
      : inner_(std::move(inner)), log_(log) {}
  Result<int32_t> CharacterCount() override { return inner_->CharacterCount(); }
  Result<std::unique_ptr<indesign::Character>> CharacterItem(int32_t i) override {
    return inner_->CharacterItem(i);
  }
  Result<indesign::TextTail> ReadTail(int32_t n) override { return inner_->ReadTail(n); }
  Status WriteCharacter(int32_t i, std::string_view t, indesign::TextProperty p) override {
    return inner_->WriteCharacter(i, t, p);
  }
  Status Export(int32_t f, const std::string& p) override { return inner_->Export(f, p); }
  Result<int32_t> Search(std::string_view find_what, std::string_view change_to) override {
    MIRUNE_RETURN_IF_ERROR(log_.Record("Search(" + std::string(find_what) + ")"));
    return inner_->Search(find_what, change_to);
  }

 private:
  std::unique_ptr<indesign::Story> inner_;
  CallLog& log_;
};

class LoggingDocument : public indesign::Document {
 public:
  LoggingDocument(std::unique_ptr<indesign::Document> inner, CallLog& log)
      : inner_(std::move(inner)), log_(log) {}
  Result<std::string> FullName() override { return inner_->FullName(); }
  Result<std::string> Name() override { return inner_->Name(); }
  Result<bool> Modified() override { return inner_->Modified(); }
  Result<int32_t> PageCount() override { return inner_->PageCount(); }
  Result<std::unique_ptr<indesign::Page>> PageItem(int32_t i) override {
    return inner_->PageItem(i);
  }
  Result<std::vector<std::unique_ptr<indesign::Page>>> Pages() override { return inner_->Pages(); }
  Result<std::vector<std::string>> PageNames() override { return inner_->PageNames(); }
  Result<int32_t> StoryCount() override { return inner_->StoryCount(); }
  Result<std::unique_ptr<indesign::Story>> StoryItem(int32_t i) override {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Story> story, inner_->StoryItem(i));
    return std::unique_ptr<indesign::Story>(new LoggingStory(std::move(story), log_));
  }
  Status Close(int32_t option) override { return inner_->Close(option); }

 private:
  std::unique_ptr<indesign::Document> inner_;
  CallLog& log_;
};

class LoggingApplication : public indesign::Application {
 public:
  LoggingApplication(indesign::Application& inner, CallLog& log) : inner_(inner), log_(log) {}
  Result<int32_t> BookCount() override { return inner_.BookCount(); }
  Result<std::unique_ptr<indesign::Book>> BookItem(int32_t i) override {
    return inner_.BookItem(i);
  }
  Result<int32_t> DocumentCount() override { return inner_.DocumentCount(); }
  Result<std::unique_ptr<indesign::Document>> DocumentItem(int32_t i) override {
    return Wrap(inner_.DocumentItem(i));
  }
  Result<indesign::OpenedItem> Open(const std::string& path) override {
    MIRUNE_RETURN_IF_ERROR(log_.Record("Open(" + path + ")"));
    MIRUNE_ASSIGN_OR_RETURN(indesign::OpenedItem item, inner_.Open(path));
    if (item.document) {
      item.document = std::make_unique<LoggingDocument>(std::move(item.document), log_);
    }
    return item;
  }
  Result<std::unique_ptr<indesign::Document>> ActiveDocument() override {
    return Wrap(inner_.ActiveDocument());
  }
  Result<std::string> Version() override { return inner_.Version(); }
  Result<int32_t> TaggedTextCharacterSet() override { return inner_.TaggedTextCharacterSet(); }
  Status SetTaggedTextCharacterSet(int32_t v) override {
    return inner_.SetTaggedTextCharacterSet(v);
  }
  Result<int32_t> TaggedTextTagForm() override { return inner_.TaggedTextTagForm(); }
  Status SetTaggedTextTagForm(int32_t v) override { return inner_.SetTaggedTextTagForm(v); }
  Result<std::string> FindWhat() override { return inner_.FindWhat(); }
  Status SetFindWhat(std::string_view t) override { return inner_.SetFindWhat(t); }
  Result<std::string> ChangeTo() override { return inner_.ChangeTo(); }
  Status SetChangeTo(std::string_view t) override { return inner_.SetChangeTo(t); }
  Result<indesign::ChangeFormatting> GetChangeFormatting() override {
    return inner_.GetChangeFormatting();
  }
  Status SetChangeFormatting(const indesign::ChangeFormatting& f) override {
    return inner_.SetChangeFormatting(f);
  }
  Result<indesign::FindOptions> GetFindOptions() override { return inner_.GetFindOptions(); }
  Status SetFindOptions(const indesign::FindOptions& o) override {
    return inner_.SetFindOptions(o);
  }
  Result<int32_t> ChangeText() override {
    MIRUNE_ASSIGN_OR_RETURN(const std::string what, inner_.FindWhat());
    MIRUNE_RETURN_IF_ERROR(log_.Record("ChangeText(" + what + ")"));
    return inner_.ChangeText();
  }

 private:
  Result<std::unique_ptr<indesign::Document>> Wrap(
      Result<std::unique_ptr<indesign::Document>> document) {
    if (!document.ok()) return document;
    return std::unique_ptr<indesign::Document>(new LoggingDocument(std::move(*document), log_));
  }

  indesign::Application& inner_;
  CallLog& log_;
};

}  // namespace mirune::testing_util
