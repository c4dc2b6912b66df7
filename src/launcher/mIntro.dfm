object Form1: TForm1
  Left = 152
  Top = 67
  BorderIcons = [biSystemMenu, biMinimize, biMaximize, biHelp]
  BorderStyle = bsNone
  Caption = 'fIntro'
  ClientHeight = 370
  ClientWidth = 537
  Color = clBlack
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  KeyPreview = True
  OldCreateOrder = False
  Position = poDefault
  OnClick = FormClick
  OnKeyUp = FormKeyUp
  PixelsPerInch = 96
  TextHeight = 13
  object Image1: TImage
    Left = 40
    Top = 32
    Width = 105
    Height = 105
    AutoSize = True
    Visible = False
  end
  object avi: TVxAVIPlay
    Left = 59
    Top = 72
    Width = 411
    Height = 231
    Transparent = False
    OnStart = aviStart
    OnStop = aviStop
    Visible = False
  end
  object Timer1: TTimer
    Enabled = False
    OnTimer = Timer1Timer
    Left = 432
    Top = 24
  end
end
