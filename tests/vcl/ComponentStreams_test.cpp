// Forms read from and written to their stored descriptions: a test form with published
// fields and handlers, read from the resource made of StreamTestForm.dfm, written back, and
// read from malformed descriptions.
#include "vcl/ComponentStreams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestHelpers.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"

namespace {

// What one component's Loaded saw.
struct LoadedCall {
  std::string name;
  bool loading;
  bool reading;
  bool wholeStreamRead;
  bool operator==(const LoadedCall&) const = default;
};
std::vector<LoadedCall> loadedCalls;
int liveProbes = 0;
bool WholeStreamRead();

// A component class that counts its live instances and records its Loaded calls.
template <class Base>
class Probe : public Base {
public:
  explicit Probe(TComponent* owner) : Base(owner) { ++liveProbes; }
  ~Probe() override { --liveProbes; }
  void Loaded() override {
    loadedCalls.push_back({this->Name(), this->HasState(csLoading), this->HasState(csReading), WholeStreamRead()});
    Base::Loaded();
  }
};

class TProbeImage : public Probe<TImage> {
public:
  using Probe<TImage>::Probe;
  VCL_CLASS_NAME(TProbeImage)
};

class TProbeTimer : public Probe<TTimer> {
public:
  using Probe<TTimer>::Probe;
  VCL_CLASS_NAME(TProbeTimer)
};

// Known to the reader by registration only, as no field of the form has its class.
class TSpareProbe : public Probe<TComponent> {
public:
  using Probe<TComponent>::Probe;
  VCL_CLASS_NAME(TSpareProbe)
};

std::optional<std::string> ColorName(int32_t value) { return ColorToIdent(value); }
std::optional<int32_t> ColorValue(const std::string& ident) { return IdentToColor(ident); }
const TIdentMap kColorIdents{&ColorName, &ColorValue};

// A windowed container that also stores its alignment (an enumeration) and its colour.
class TProbePanel : public Probe<TCustomControl> {
public:
  using Probe<TCustomControl>::Probe;
  VCL_CLASS_NAME(TProbePanel)
  const TPropertyTable& Properties() const override {
    static const TPropertyTable table(
        &TCustomControl::Properties(),
        {
            EnumProperty("Align", AlignNames, &TControl::Align, &TControl::SetAlign, alNone),
            IntProperty("Color", &TControl::Color, &TControl::SetColor, std::nullopt, &kColorIdents),
        });
    return table;
  }
};

class TStreamTestForm : public Probe<TForm> {
public:
  struct Blank {};

  // Built from its stored description, the resource TSTREAMTESTFORM.
  explicit TStreamTestForm(TComponent* owner) : Probe<TForm>(owner) {
    fromResource = this;
    InitInheritedComponent();
  }
  TStreamTestForm(TComponent* owner, const TFormObject& tree) : Probe<TForm>(owner) { ReadComponent(*this, tree); }
  TStreamTestForm(TComponent* owner, Blank) : Probe<TForm>(owner) {}
  ~TStreamTestForm() override {
    if (fromResource == this) fromResource = nullptr;
  }
  VCL_CLASS_NAME(TStreamTestForm)

  const TPublishedNames* Published() const override {
    static const TPublishedNames names{
        {
            PublishedField<&TStreamTestForm::Picture1>("Picture1"),
            PublishedField<&TStreamTestForm::Panel1>("Panel1"),
            PublishedField<&TStreamTestForm::Inner>("Inner"),
            PublishedField<&TStreamTestForm::Timer1>("Timer1"),
        },
        {
            PublishedMethod<&TStreamTestForm::FormClick>("FormClick"),
            PublishedMethod<&TStreamTestForm::FormKeyUp>("FormKeyUp"),
            PublishedMethod<&TStreamTestForm::TimerTick>("TimerTick"),
        }};
    return &names;
  }

  TProbeImage* Picture1 = nullptr;
  TProbePanel* Panel1 = nullptr;
  TProbeImage* Inner = nullptr;
  TProbeTimer* Timer1 = nullptr;

  std::vector<std::string> calls;
  void FormClick(TObject* sender) { calls.push_back("FormClick " + Of(sender)); }
  void FormKeyUp(TObject* sender, WORD& key, TShiftState shift) {
    calls.push_back("FormKeyUp " + Of(sender) + " " + std::to_string(key) + " " + std::to_string(shift));
    key = 0;
  }
  void TimerTick(TObject* sender) { calls.push_back("TimerTick " + Of(sender)); }

  static inline TStreamTestForm* fromResource = nullptr;

private:
  static std::string Of(TObject* sender) {
    auto* component = dynamic_cast<TComponent*>(sender);
    return component ? component->Name() : "?";
  }
};

// The last property of the stored description has been applied.
bool WholeStreamRead() {
  const TStreamTestForm* form = TStreamTestForm::fromResource;
  return form && form->Timer1 && form->Timer1->DesignTop() == 400;
}

bool AnyLeftLoadingOrReading(const TComponent& root) {
  if (root.HasState(csLoading | csReading)) return true;
  for (int i = 0; i < root.ComponentCount(); ++i)
    if (root.Components(i)->HasState(csLoading | csReading)) return true;
  return false;
}

TEST(ComponentStreams, AFormReadFromItsResourceHasItsPropertiesChildrenFieldsAndHandlers) {
  loadedCalls.clear();
  Freeing<TStreamTestForm> form(new TStreamTestForm(nullptr));

  EXPECT_EQ(form->Name(), "StreamForm");
  EXPECT_EQ(form->Left(), 12);
  EXPECT_EQ(form->Top(), 34);
  EXPECT_EQ(form->BorderIcons(), 1u << biSystemMenu | 1u << biHelp);
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->Caption(), "Stream's form");
  EXPECT_EQ(form->ClientWidth(), 210);
  EXPECT_EQ(form->ClientHeight(), 150);
  EXPECT_EQ(form->Color(), clTeal);
  EXPECT_EQ(form->Font()->Charset(), EASTEUROPE_CHARSET);
  EXPECT_EQ(form->Font()->Color(), clRed);
  EXPECT_EQ(form->Font()->Height(), -13);
  EXPECT_EQ(form->Font()->Name(), "Arial");
  EXPECT_EQ(form->Font()->Style(), 1u << fsBold | 1u << fsItalic);
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_FALSE(form->Visible());

  // Fields filled with the components of their names, in stored order, all owned by the form.
  ASSERT_EQ(form->ComponentCount(), 4);
  const std::vector<TComponent*> fields{form->Picture1, form->Panel1, form->Inner, form->Timer1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form->Components(i), fields[i]) << i;
    EXPECT_EQ(fields[i]->Owner(), form.get()) << i;
  }
  ASSERT_EQ(form->ControlCount(), 2);
  EXPECT_EQ(form->Controls(0), form->Picture1);
  EXPECT_EQ(form->Controls(1), form->Panel1);
  ASSERT_EQ(form->Panel1->ControlCount(), 1);
  EXPECT_EQ(form->Panel1->Controls(0), form->Inner);
  EXPECT_EQ(form->Inner->Parent(), form->Panel1);

  const TProbeImage& picture = *form->Picture1;
  EXPECT_EQ(picture.BoundsRect(), (RECT{5, 6, 35, 26}));
  EXPECT_FALSE(picture.Visible());
  EXPECT_FALSE(picture.AutoSize());
  EXPECT_EQ(form->Panel1->BoundsRect(), (RECT{50, 8, 150, 98}));
  EXPECT_EQ(form->Panel1->Align(), alRight);
  EXPECT_EQ(form->Panel1->Color(), clYellow);
  EXPECT_EQ(form->Inner->BoundsRect(), (RECT{4, 5, 14, 16}));
  EXPECT_TRUE(form->Inner->Visible());
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval(), 250);
  EXPECT_EQ(form->Timer1->DesignLeft(), 300);

  // Handlers bound to the form's methods.
  ASSERT_TRUE(form->OnClick);
  ASSERT_TRUE(form->OnKeyUp);
  ASSERT_TRUE(form->Timer1->OnTimer);
  EXPECT_EQ(form->OnClick.Method().Data, form.get());
  form->OnClick(form.get());
  WORD key = VK_SPACE;
  form->OnKeyUp(form.get(), key, ssShift);
  EXPECT_EQ(key, 0);
  form->Timer1->OnTimer(form->Timer1);
  EXPECT_EQ(form->calls, (std::vector<std::string>{"FormClick StreamForm", "FormKeyUp StreamForm 32 1",
                                                   "TimerTick Timer1"}));

  // Loaded once per component, root first, after the whole description was read; the
  // components are still loading then but no longer reading, and neither afterwards.
  EXPECT_EQ(loadedCalls, (std::vector<LoadedCall>{{"StreamForm", true, false, true},
                                                  {"Picture1", true, false, true},
                                                  {"Panel1", true, false, true},
                                                  {"Inner", true, false, true},
                                                  {"Timer1", true, false, true}}));
  EXPECT_FALSE(AnyLeftLoadingOrReading(*form));
}

// What WriteComponent makes of the stored form: the properties that differ from their
// defaults (Position = poDesigned, AutoSize = False and Visible = True are gone; the font,
// OldCreateOrder, PixelsPerInch and TextHeight have none), controls under their parents,
// then the other components.
const char kWrittenForm[] = R"(object StreamForm: TStreamTestForm
  Left = 12
  Top = 34
  BorderIcons = [biSystemMenu, biHelp]
  BorderStyle = bsDialog
  Caption = 'Stream''s form'
  ClientHeight = 150
  ClientWidth = 210
  Color = clTeal
  Font.Charset = EASTEUROPE_CHARSET
  Font.Color = clRed
  Font.Height = -13
  Font.Name = 'Arial'
  Font.Style = [fsBold, fsItalic]
  KeyPreview = True
  OldCreateOrder = False
  OnClick = FormClick
  OnKeyUp = FormKeyUp
  PixelsPerInch = 96
  TextHeight = 0
  object Picture1: TProbeImage
    Left = 5
    Top = 6
    Width = 30
    Height = 20
    Visible = False
  end
  object Panel1: TProbePanel
    Left = 50
    Top = 8
    Width = 100
    Height = 90
    Align = alRight
    Color = clYellow
    object Inner: TProbeImage
      Left = 4
      Top = 5
      Width = 10
      Height = 11
    end
  end
  object Timer1: TProbeTimer
    Enabled = False
    Interval = 250
    OnTimer = TimerTick
    Left = 300
    Top = 400
  end
end
)";

TEST(ComponentStreams, AWrittenFormOmitsDefaultsAndReadsBackEqual) {
  Freeing<TStreamTestForm> form(new TStreamTestForm(nullptr));
  const TFormObject written = WriteComponent(*form);
  EXPECT_EQ(WriteFormText(written), kWrittenForm);

  Freeing<TStreamTestForm> copy(new TStreamTestForm(nullptr, ReadFormBinary(WriteFormBinary(written))));
  EXPECT_EQ(WriteComponent(*copy), written);
  EXPECT_EQ(copy->Inner->Parent(), copy->Panel1);
  EXPECT_EQ(copy->Timer1->OnTimer.Method().Data, copy.get());
}

struct MalformedCase {
  const char* name;
  const char* lastChild;  // added to a form that already holds four components
  const char* messagePart;
};

const MalformedCase kMalformed[] = {
    {"unknown class", "object Extra: TNoSuchControl\nend", "Class TNoSuchControl not found"},
    {"unknown property", "object Extra: TProbeImage\nColour = clRed\nend", "Extra.Colour"},
    {"sub-property of a number", "object Extra: TProbeImage\nLeft.Low = 1\nend", "Left has no sub-properties"},
    {"string for a number", "object Extra: TProbeImage\nLeft = 'ten'\nend", "Invalid property value"},
    {"number for a boolean", "object Extra: TProbeImage\nVisible = 1\nend", "Invalid property value"},
    {"number for an enumeration", "object Extra: TProbePanel\nAlign = 2\nend", "Invalid property value"},
    {"unknown enumeration value", "object Extra: TProbePanel\nAlign = alMiddle\nend", "alMiddle"},
    {"unknown colour", "object Extra: TProbePanel\nColor = clPlaid\nend", "clPlaid"},
    {"unknown handler", "object Extra: TProbeTimer\nOnTimer = NoSuchHandler\nend", "NoSuchHandler not found"},
    {"handler of another signature", "object Extra: TProbeTimer\nOnTimer = FormKeyUp\nend", "FormKeyUp"},
    {"duplicate component name", "object Picture1: TProbeImage\nend", "Picture1 already exists"},
    {"field of another class", "object Timer1: TProbeImage\nend", "Timer1"},
};

TFormObject MalformedForm(const MalformedCase& c) {
  return ParseFormText(std::string("object StreamForm: TStreamTestForm\n"
                                   "  Caption = 'broken'\n"
                                   "  object Picture1: TProbeImage\n"
                                   "    Left = 2\n"
                                   "  end\n"
                                   "  object Panel1: TProbePanel\n"
                                   "    object Inner: TProbeImage\n"
                                   "    end\n"
                                   "  end\n"
                                   "  object Spare: TSpareProbe\n"
                                   "  end\n") +
                       c.lastChild + "\nend\n");
}

TEST(ComponentStreams, AMalformedDescriptionRaisesEReadErrorAndLeaksNothing) {
  RegisterComponentClass<TSpareProbe>();
  for (const MalformedCase& c : kMalformed) {
    SCOPED_TRACE(c.name);
    const TFormObject tree = MalformedForm(c);
    ASSERT_EQ(liveProbes, 0);

    // Read by the form's constructor, as a form reads its resource.
    try {
      new TStreamTestForm(nullptr, tree);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& error) {
      EXPECT_NE(error.Message().find(c.messagePart), std::string::npos) << error.Message();
    }
    EXPECT_EQ(liveProbes, 0);

    // Read into a form that exists: what was made stays with it and goes with it.
    auto* form = new TStreamTestForm(nullptr, TStreamTestForm::Blank{});
    EXPECT_THROW(ReadComponent(*form, tree), EReadError);
    EXPECT_GE(form->ComponentCount(), 4);
    EXPECT_FALSE(AnyLeftLoadingOrReading(*form));
    form->Free();
    EXPECT_EQ(liveProbes, 0);
  }
}

}  // namespace
