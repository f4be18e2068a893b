object AboutForm: TAboutForm
  Left = 0
  Top = 0
  BorderStyle = bsNone
  BorderWidth = 1
  Caption = 'About'
  Color = clBlack
  ClientWidth = 458
  ClientHeight = 301
  Font.Name = 'MS Sans Serif'
  Font.Size = 8
  Position = poMainFormCenter
  OnCreate = FormCreate
  object imBackground: TImage
    Left = 0
    Top = 0
    Width = 458
    Height = 301
    Picture.Data = {
      @ABOUT_PICTURE@}
  end
  object lbVersion: TLabel
    Left = 118
    Top = 86
    AutoSize = True
    Caption = 'Version:'
  end
  object edVersion: TLabel
    Left = 162
    Top = 86
    AutoSize = True
  end
  object lbProductHomepage: TLabel
    Left = 118
    Top = 122
    AutoSize = True
    Caption = 'Product homepage:'
  end
  object edProductHomepage: TQorvHyperlinkLabel
    Left = 217
    Top = 122
    AutoSize = True
    Caption = 'www.drovanex.com/vantrel'
    URL = 'http://www.drovanex.com/vantrel/'
  end
  object lbDrovanexHomepage: TLabel
    Left = 118
    Top = 158
    AutoSize = True
    Caption = 'Drovanex homepage:'
  end
  object edDrovanexHomepage: TQorvHyperlinkLabel
    Left = 224
    Top = 158
    AutoSize = True
    Caption = 'www.drovanex.com'
    URL = 'http://www.drovanex.com/'
  end
  object lbDrovanexMail: TLabel
    Left = 118
    Top = 174
    AutoSize = True
    Caption = 'Drovanex mail:'
  end
  object edDrovanexMail: TQorvHyperlinkLabel
    Left = 192
    Top = 174
    AutoSize = True
    Caption = 'support@drovanex.com'
    URL = 'mailto:support@drovanex.com'
  end
  object lbCopyright: TLabel
    Left = 118
    Top = 210
    AutoSize = True
    Caption = 'Copyright (C) 2006 Drovanex.'
  end
  object lbRights: TLabel
    Left = 118
    Top = 226
    AutoSize = True
    Caption = 'All rights reserved.'
  end
  object btOK: TButton
    Left = 286
    Top = 262
    Width = 75
    Height = 23
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 0
  end
  object btLicense: TButton
    Left = 366
    Top = 262
    Width = 75
    Height = 23
    Caption = 'License...'
    TabOrder = 1
    OnClick = btLicenseClick
  end
  object VersionInfo: TQorvVersionInfo
    CodePage = 0
    Language = 0
  end
end
