#include "shell/styles/StyleDescription.h"

const TMetaClass& TStyleDescription::StaticClass() {
  return ClassRecord<TStyleDescription>("TStyleDescription", &TTreeObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Author", &TStyleDescription::Author, &TStyleDescription::SetAuthor);
    B.Property("AuthorEMail", &TStyleDescription::AuthorEMail, &TStyleDescription::SetAuthorEMail);
    B.Property("AuthorURL", &TStyleDescription::AuthorURL, &TStyleDescription::SetAuthorURL);
    B.Property("MobilePlatform", &TStyleDescription::MobilePlatform, &TStyleDescription::SetMobilePlatform)
        .Default(false);
    B.Property("PlatformTarget", &TStyleDescription::PlatformTarget, &TStyleDescription::SetPlatformTarget);
    B.Property("Title", &TStyleDescription::Title, &TStyleDescription::SetTitle);
    B.Property("Version", &TStyleDescription::Version, &TStyleDescription::SetVersion);
  });
}

void TStyleDescription::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TStyleDescription*>(Source);
  if (!Other) {
    TTreeObject::Assign(Source);
    return;
  }
  FAuthor = Other->FAuthor;
  FAuthorEMail = Other->FAuthorEMail;
  FAuthorURL = Other->FAuthorURL;
  FPlatformTarget = Other->FPlatformTarget;
  FTitle = Other->FTitle;
  FVersion = Other->FVersion;
  FMobilePlatform = Other->FMobilePlatform;
}
