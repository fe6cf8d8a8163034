#pragma once
#include "shell/core/Export.h"
#include "shell/core/Component.h"

class TStream;
class TStyleContainer;

/// TStyleBook: a style of a form's own, searched before the active style.
class KELVANE_API TStyleBook : public TComponent {
  KLV_CLASS(TStyleBook)
 public:
  explicit TStyleBook(TComponent* AOwner);
  ~TStyleBook() override;

  /// The loaded style, or none.
  TStyleContainer* Style() const { return FStyle; }
  /// Takes Value (the book frees it).
  void SetStyle(TStyleContainer* Value);
  /// Loads a style file with TStyleStreaming.
  void LoadFromStream(TStream& Stream);

 protected:
  void BeforeDestruction() override;

 private:
  TStyleContainer* FStyle = nullptr;
};
