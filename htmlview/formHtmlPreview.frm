object HtmlPreviewForm: THtmlPreviewForm
  Left = 0
  Top = 0
  Caption = 'Print Preview'
  ClientWidth = 640
  ClientHeight = 600
  Constraints.MinWidth = 560
  Constraints.MinHeight = 240
  Font.Name = 'MS Sans Serif'
  Font.Size = 8
  Position = poScreenCenter
  object btPrint: TButton
    Left = 8
    Top = 6
    Width = 64
    Height = 23
    Caption = '&Print...'
    OnClick = btPrintClick
    TabOrder = 0
  end
  object btPrevious: TButton
    Left = 84
    Top = 6
    Width = 64
    Height = 23
    Caption = '< Pre&vious'
    OnClick = btPreviousClick
    TabOrder = 1
  end
  object btNext: TButton
    Left = 152
    Top = 6
    Width = 64
    Height = 23
    Caption = '&Next >'
    OnClick = btNextClick
    TabOrder = 2
  end
  object lbPage: TLabel
    Left = 226
    Top = 11
    Width = 90
    Height = 13
    Caption = 'Page 1 of 1'
  end
  object btWholePage: TButton
    Left = 322
    Top = 6
    Width = 76
    Height = 23
    Caption = '&Whole page'
    OnClick = btWholePageClick
    TabOrder = 3
  end
  object btPageWidth: TButton
    Left = 402
    Top = 6
    Width = 76
    Height = 23
    Caption = 'Page wi&dth'
    OnClick = btPageWidthClick
    TabOrder = 4
  end
  object btActualSize: TButton
    Left = 482
    Top = 6
    Width = 48
    Height = 23
    Caption = '&100%'
    OnClick = btActualSizeClick
    TabOrder = 5
  end
  object btClose: TButton
    Left = 568
    Top = 6
    Width = 64
    Height = 23
    Anchors = [akTop, akRight]
    Caption = '&Close'
    OnClick = btCloseClick
    TabOrder = 6
  end
  object pbPages: THtmlPreviewPane
    Left = 0
    Top = 36
    Width = 640
    Height = 564
    Anchors = [akLeft, akTop, akRight, akBottom]
    TabOrder = 7
  end
end
