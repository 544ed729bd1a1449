// A view that records what the window logic does and answers dialogs from
// queued replies.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
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
  void FocusVehicleDir() override { focus = "VehicleDir"; }
  void FocusReviewGroup() override { focus = "GroupBox1"; }
  void ShowError(const std::string& message) override { errors.push_back(message); }
  void ShowInfo(const std::string& message) override {
    infos.push_back(message);
    log.push_back(reviewEnabled ? "info while open" : "info while locked");
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
  std::string focus;
  std::vector<std::string> errors, infos, log;
  std::deque<std::optional<std::string>> folderReplies, fileReplies;  // nullopt: cancel
  std::vector<std::string> folderPrompts, fileFilters, fileTitles, fileStartNames, links;
  unsigned linkColour = 0x800000;
};

}  // namespace wrenfield::testing
