object StreamForm: TStreamTestForm
  Left = 12
  Top = 34
  BorderIcons = [biSystemMenu, biHelp]
  BorderStyle = bsDialog
  Caption = 'Stream'#39's form'
  ClientHeight = 150
  ClientWidth = 210
  Color = clTeal
  Font.Charset = EASTEUROPE_CHARSET
  Font.Color = clRed
  Font.Height = -13
  Font.Name = 'Arial'
  Font.Style = [fsBold, fsItalic]
  KeyPreview = True
  Position = poDesigned
  OnClick = FormClick
  OnKeyUp = FormKeyUp
  object Picture1: TProbeImage
    Left = 5
    Top = 6
    Width = 30
    Height = 20
    AutoSize = False
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
      Visible = True
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
