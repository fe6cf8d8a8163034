#pragma once
#include <string>

#include "shell/core/Export.h"
#include "shell/core/TreeObject.h"

/// TStyleDescription: the first item of a style file: who made the style, for which platform.
class KELVANE_API TStyleDescription : public TTreeObject {
  KLV_CLASS(TStyleDescription)
 public:
  explicit TStyleDescription(TComponent* AOwner) : TTreeObject(AOwner) {}

  const std::string& Author() const { return FAuthor; }
  void SetAuthor(const std::string& Value) { FAuthor = Value; }
  const std::string& AuthorEMail() const { return FAuthorEMail; }
  void SetAuthorEMail(const std::string& Value) { FAuthorEMail = Value; }
  const std::string& AuthorURL() const { return FAuthorURL; }
  void SetAuthorURL(const std::string& Value) { FAuthorURL = Value; }
  /// The platforms the style is made for, each in brackets ("[MSWINDOWS]"); empty for any.
  const std::string& PlatformTarget() const { return FPlatformTarget; }
  void SetPlatformTarget(const std::string& Value) { FPlatformTarget = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  const std::string& Version() const { return FVersion; }
  void SetVersion(const std::string& Value) { FVersion = Value; }
  bool MobilePlatform() const { return FMobilePlatform; }
  void SetMobilePlatform(bool Value) { FMobilePlatform = Value; }

  void Assign(TPersistent* Source) override;

 private:
  std::string FAuthor, FAuthorEMail, FAuthorURL, FPlatformTarget, FTitle, FVersion;
  bool FMobilePlatform = false;
};
