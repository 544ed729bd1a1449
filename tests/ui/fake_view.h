// A view that records what the window logic does and answers dialogs from
// queued replies.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "auto_install_view.h"

namespace wrenfield::testing {

class FakeView : public TAutoInstallView {
 public:
  std::string GetText(TEditField field) const override {
    const auto found = texts.find(field);
    return found == texts.end() ? std::string() : found->second;
  }
  void SetText(TEditField field, const std::string& text) override {
    texts[field] = text;
    notices.erase(field);
  }
  void ShowNotice(TEditField field, const std::string& notice) override {
    texts[field] = notice;
    notices.insert(field);
  }
  std::vector<TAdvItem> GetAdvItems() const override { return adv; }
  void SetAdvItems(const std::vector<TAdvItem>& items) override { adv = items; }
  void SetReviewEnabled(bool enabled) override {
    reviewEnabled = enabled;
    log.push_back(enabled ? "unlock" : "lock");
  }
  void SetUndoEnabled(bool enabled) override { undoEnabled = enabled; }
  void FocusVehicleDir() override { focus = "VehicleDir"; }
  void FocusReviewGroup() override { focus = "GroupBox1"; }
  void ShowError(const std::string& message) override { errors.push_back(message); }
  void ShowInfo(const std::string& message) override {
    infos.push_back(message);
    log.push_back(reviewEnabled ? "info while open" : "info while locked");
  }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    const bool yes = !confirmReplies.empty() && confirmReplies.front();
    if (!confirmReplies.empty()) confirmReplies.pop_front();
    return yes;
  }
  THistoryAction ShowHistory(const std::vector<std::string>& lines) override {
    histories.push_back(lines);
    const THistoryAction action =
        historyReplies.empty() ? THistoryAction::kClose : historyReplies.front();
    if (!historyReplies.empty()) historyReplies.pop_front();
    return action;
  }
  void BeginWork(const std::string& title) override {
    workTitles.push_back(title);
    working = true;
    log.push_back("work begins");
  }
  // Stops when the progress reaches stopAt.
  bool WorkProgress(std::uint64_t done, std::uint64_t total) override {
    EXPECT_TRUE(working);
    progress.emplace_back(done, total);
    return stopAt && done >= *stopAt;
  }
  void EndWork() override {
    working = false;
    log.push_back("work ends");
  }
  bool SelectFolder(const std::string& prompt, std::string& folder) override {
    folderPrompts.push_back(prompt);
    if (folderReplies.empty() || !folderReplies.front()) {
      if (!folderReplies.empty()) folderReplies.pop_front();
      return false;
    }
    folder = *folderReplies.front();
    folderReplies.pop_front();
    return true;
  }
  // The mod's dialog answers from the same queue as the folder dialog.
  bool SelectModSource(const std::string& prompt, std::string& path) override {
    return SelectFolder(prompt, path);
  }
  bool ChooseModFolder(const std::vector<std::string>& candidates, std::size_t& choice) override {
    offeredChoices.push_back(candidates);
    const std::optional<std::size_t> reply =
        choiceReplies.empty() ? std::nullopt : choiceReplies.front();
    if (!choiceReplies.empty()) choiceReplies.pop_front();
    if (reply) choice = *reply;
    return reply.has_value();
  }
  bool OpenFile(const std::string& filter, const std::string& title,
                std::string& fileName) override {
    fileFilters.push_back(filter);
    fileTitles.push_back(title);
    fileStartNames.push_back(fileName);
    if (fileReplies.empty() || !fileReplies.front()) {
      if (!fileReplies.empty()) fileReplies.pop_front();
      return false;
    }
    fileName = *fileReplies.front();
    fileReplies.pop_front();
    return true;
  }
  void OpenLink(const std::string& target) override { links.push_back(target); }
  void HighlightLink() override { linkColour = 0xFF0000; }
  void UnhighlightLink() override { linkColour = 0x800000; }

  std::map<TEditField, std::string> texts;
  std::set<TEditField> notices;  // fields whose text is a notice, not a path
  std::vector<TAdvItem> adv;
  bool reviewEnabled = false;
  bool undoEnabled = false;
  std::deque<bool> confirmReplies;  // none left: No
  std::vector<std::string> questions;
  std::vector<std::vector<std::string>> histories;
  std::deque<THistoryAction> historyReplies;  // none left: closed
  std::vector<std::string> workTitles;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
  std::optional<std::uint64_t> stopAt;
  bool working = false;
  std::string focus;
  std::vector<std::string> errors, infos, log;
  std::deque<std::optional<std::string>> folderReplies, fileReplies;  // nullopt: cancel
  std::vector<std::string> folderPrompts, fileFilters, fileTitles, fileStartNames, links;
  std::deque<std::optional<std::size_t>> choiceReplies;  // nullopt: cancel
  std::vector<std::vector<std::string>> offeredChoices;
  unsigned linkColour = 0x800000;
};

}  // namespace wrenfield::testing
