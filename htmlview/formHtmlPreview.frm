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
    Hint = 'Print (Ctrl+P)'
    ShowHint = True
    OnClick = btPrintClick
    TabOrder = 0
  end
  object btFirst: TButton
    Left = 84
    Top = 6
    Width = 24
    Height = 23
    Caption = '|<'
    Hint = 'First page (Ctrl+Home)'
    ShowHint = True
    OnClick = btFirstClick
    TabOrder = 1
  end
  object btPrevious: TButton
    Left = 110
    Top = 6
    Width = 24
    Height = 23
    Caption = '<'
    Hint = 'Previous page'
    ShowHint = True
    OnClick = btPreviousClick
    TabOrder = 2
  end
  object edPage: TEdit
    Left = 138
    Top = 7
    Width = 36
    Height = 21
    Hint = 'Page to show (type a number and press Enter)'
    ShowHint = True
    MaxLength = 6
    Text = '1'
    OnExit = edPageExit
    TabOrder = 3
  end
  object lbPageCount: TLabel
    Left = 178
    Top = 11
    Width = 42
    Height = 13
    Caption = 'of 1'
  end
  object btNext: TButton
    Left = 222
    Top = 6
    Width = 24
    Height = 23
    Caption = '>'
    Hint = 'Next page'
    ShowHint = True
    OnClick = btNextClick
    TabOrder = 4
  end
  object btLast: TButton
    Left = 248
    Top = 6
    Width = 24
    Height = 23
    Caption = '>|'
    Hint = 'Last page (Ctrl+End)'
    ShowHint = True
    OnClick = btLastClick
    TabOrder = 5
  end
  object btZoomOut: TButton
    Left = 286
    Top = 6
    Width = 24
    Height = 23
    Caption = '-'
    Hint = 'Zoom out (Ctrl+minus)'
    ShowHint = True
    OnClick = btZoomOutClick
    TabOrder = 6
  end
  object btZoom: TButton
    Left = 312
    Top = 6
    Width = 80
    Height = 23
    Caption = 'Whole page'
    Hint = 'Zoom'
    ShowHint = True
    OnClick = btZoomClick
    TabOrder = 7
  end
  object btZoomIn: TButton
    Left = 394
    Top = 6
    Width = 24
    Height = 23
    Caption = '+'
    Hint = 'Zoom in (Ctrl+plus)'
    ShowHint = True
    OnClick = btZoomInClick
    TabOrder = 8
  end
  object btClose: TButton
    Left = 568
    Top = 6
    Width = 64
    Height = 23
    Anchors = [akTop, akRight]
    Caption = '&Close'
    OnClick = btCloseClick
    TabOrder = 9
  end
  object pbPages: THtmlPreviewPane
    Left = 0
    Top = 36
    Width = 640
    Height = 564
    Anchors = [akLeft, akTop, akRight, akBottom]
    TabOrder = 10
  end
end
