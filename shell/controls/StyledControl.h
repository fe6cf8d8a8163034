#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "shell/core/Export.h"
#include "shell/controls/Control.h"

enum class TStyleState { Unapplied, Freeing, Applying, Error, Applied };

/// A value of style data, as the class table reads and writes a property: ordinal kinds
/// (integers, colours, Booleans, enumerations, sets) as int64_t, floats as long double, strings
/// as std::string.
using TStyleDataValue = std::variant<int64_t, long double, std::string>;

/// TStyledControl: a control that takes its look, and possibly a fixed size, from a style copy
/// attached as its first child. Finding the style is the style layer's work; it installs its
/// lookup with SetStyleLookupProc, saying also which style a copy comes from.
class KELVANE_API TStyledControl : public TControl {
  KLV_CLASS(TStyledControl)
 public:
  /// Returns a fresh style copy for the control (owned by the control), or null.
  using TStyleLookupProc = std::function<TControl*(TStyledControl& Control)>;
  /// Names the style that the control's copies come from now (the active style of its form):
  /// kept copies are handed out only for the style they were made from. Without one every copy
  /// counts as coming from the same style.
  using TStyleSourceProc = std::function<const TTreeObject*(TStyledControl& Control)>;
  static void SetStyleLookupProc(TStyleLookupProc Proc, TStyleSourceProc Source = nullptr);

  explicit TStyledControl(TComponent* AOwner);

  const std::string& StyleLookup() const { return FStyleLookup; }
  void SetStyleLookup(const std::string& Value);
  /// The class's style name: "TTrackBar" gives "TrackBarstyle".
  virtual std::string GetDefaultStyleLookupName() const;
  virtual std::string GetParentClassStyleLookupName() const;
  static std::string GenerateStyleName(const std::string& ClassName);

  /// The applied style copy, or null.
  TControl* ResourceLink() const { return FResourceLink; }
  TStyleState StyleState() const { return FStyleState; }
  bool NeedsStyleLookup() const { return FNeedStyleLookup; }
  /// Releases the applied style so that the next ApplyStyleLookup applies it anew.
  void NeedStyleLookup();
  /// Finds and applies the style if one is needed and the control belongs to a root.
  void ApplyStyleLookup();
  /// The object named Name (ignoring case) in the applied style copy.
  TControl* FindStyleResource(const std::string& Name) const;

  /// Style data: values of properties of the style objects, set on the control and kept across
  /// style changes. Name is "object.property": the object by its style name (which may itself
  /// hold dots), the property by a dotted path through sub-objects ("background.Fill.Color"); a
  /// name that starts with no object's name is a property of the style copy itself. While a
  /// style is applied the value goes to its object at once (EConvertError "Invalid property
  /// value" when the property holds another kind of value); whatever style comes next is given
  /// the value too, where it has that object and property.
  void SetStyleData(const std::string& Name, const TStyleDataValue& Value);
  /// The value: the style object's own while it is applied, else the one kept; none when the
  /// name was never set and the applied style has no such property.
  std::optional<TStyleDataValue> StyleData(const std::string& Name) const;

  void PrepareForPaint() override;
  /// Takes the style first when it is pending: its fixed size is part of the new size.
  void SetBounds(float X, float Y, float AWidth, float AHeight) override;
  /// Passes the trigger to every object of the applied style copy (not into the styles of
  /// styled controls inside it), which react according to this control's states.
  void ApplyTriggerEffect(const std::string& Trigger) override;

  TNotifyEvent OnApplyStyleLookup;

 protected:
  virtual TControl* LookupStyleObject();
  /// Takes what the class needs from the style copy; overrides call the inherited one first.
  virtual void ApplyStyle();
  /// Lets go of what ApplyStyle took; overrides call the inherited one last.
  virtual void FreeStyle();
  /// Takes the fixed size of the style copy (its FixedWidth, FixedHeight).
  void AdjustFixedSize(TControl* Reference);
  /// Which fixed size the control obeys; may rearrange FixedSize (a vertical track swaps it).
  virtual TAdjustType ChooseAdjustType(TSizeF& FixedSize);
  /// Applies the fixed size to the control's current size at once.
  void AdjustSize();
  void BeforeDestruction() override;
  /// A control that moves to another root takes its style anew.
  void ChangeParent() override;
  /// Once loaded the control takes its style, so that its size is right before it is laid out.
  void Loaded() override;

 private:
  void ReleaseStyle();
  /// A copy from the cache shows the looks of the control it served: back to a new copy's, then
  /// this control's states, and those of the styled parts inside it (a slider's thumb).
  void TakeStatesIntoReusedCopy();
  /// Raises every state trigger, so that the style shows the control's current states.
  void ApplyStateTriggers();
  bool RootHasStyleBook() const;
  /// Gives the kept style data to the applied style objects / takes their current values back.
  void HandStyleDataOver();
  void TakeStyleDataBack();

  /// Kept style data by lower-cased name.
  std::map<std::string, TStyleDataValue> FStyleData;

  std::string FStyleLookup;
  TControl* FResourceLink = nullptr;
  IRoot* FStyledRoot = nullptr;  // the root the copy was taken under
  std::string FStyleCacheName;    // where the copy goes when let go of; empty: it is freed
  const TTreeObject* FStyleCacheSource = nullptr;  // the style it was made from
  bool FNeedStyleLookup = true;
  TStyleState FStyleState = TStyleState::Unapplied;
};
