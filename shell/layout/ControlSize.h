#pragma once
#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"
#include <cmath>

#include "shell/core/Persistent.h"

/// TControlSize: a control's Size: Width and Height (never negative), PlatformDefault and the
/// class's default size, which Width and Height report while PlatformDefault is true.
class KELVANE_API TControlSize : public TPersistent {
  KLV_CLASS(TControlSize)
 public:
  explicit TControlSize(const TSizeF& ADefaultValue = TSizeF(50, 50));

  float Width() const { return FPlatformDefault ? FDefaultValue.Width : FSize.Width; }
  float Height() const { return FPlatformDefault ? FDefaultValue.Height : FSize.Height; }
  TSizeF Size() const { return {Width(), Height()}; }
  bool PlatformDefault() const { return FPlatformDefault; }
  const TSizeF& DefaultValue() const { return FDefaultValue; }
  /// The reported size before the change that OnChange reports.
  const TSizeF& OldSize() const { return FOldSize; }

  /// Setting Width always leaves the platform default; Height and the pair only when the
  /// reported value really changes (by more than 0.001).
  void SetWidth(float Value);
  void SetHeight(float Value);
  void SetSize(const TSizeF& Value);
  void SetPlatformDefault(bool Value);
  void SetDefaultValue(const TSizeF& Value);
  /// Stores a size that the owner has already applied: no notification, platform default off.
  void SetSizeWithoutNotification(const TSizeF& Value);

  void Assign(TPersistent* Source) override;

  /// Fired after every change of the reported size or of PlatformDefault.
  TNotifyEvent OnChange;

 private:
  void Commit(const TSizeF& NewSize, bool NewPlatformDefault);

  TSizeF FSize;
  TSizeF FOldSize;
  TSizeF FDefaultValue;
  bool FPlatformDefault = true;
};

/// Sizes and positions differ only by more than this.
constexpr float kLayoutEpsilon = 0.001f;
inline bool SameLayoutValue(float A, float B) { return std::fabs(A - B) <= kLayoutEpsilon; }
