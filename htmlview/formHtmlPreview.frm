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
  object tbPreview: TToolBar
    Left = 4
    Top = 6
    Width = 460
    Height = 23
    Align = alNone
    AccessibleName = 'Preview tools'
    ButtonWidth = 0
    ButtonHeight = 23
    ShowCaptions = True
    List = True
    ShowHint = True
    TabStop = True
    TabOrder = 0
    object btPrint: TToolButton
      Caption = 'Print...'
      Hint = 'Print (Ctrl+P)'
      OnClick = btPrintClick
    end
    object btClose: TToolButton
      Caption = 'Close'
      Hint = 'Close (Esc)'
      OnClick = btCloseClick
    end
    object tbSep1: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object btZoomOut: TToolButton
      Caption = ' - '
      Hint = 'Zoom out (Ctrl+minus)'
      OnClick = btZoomOutClick
    end
    object btZoom: TToolButton
      Width = 96
      Caption = 'Whole page'
      Hint = 'Zoom'
      Style = tbsDropDown
      OnClick = btZoomClick
    end
    object btZoomIn: TToolButton
      Caption = ' + '
      Hint = 'Zoom in (Ctrl+plus)'
      OnClick = btZoomInClick
    end
    object tbSep2: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object btFirst: TToolButton
      Caption = '|<'
      Hint = 'First page (Ctrl+Home)'
      OnClick = btFirstClick
    end
    object btPrevious: TToolButton
      Caption = ' < '
      Hint = 'Previous page'
      OnClick = btPreviousClick
    end
    object btNext: TToolButton
      Caption = ' > '
      Hint = 'Next page'
      OnClick = btNextClick
    end
    object btLast: TToolButton
      Caption = '>|'
      Hint = 'Last page (Ctrl+End)'
      OnClick = btLastClick
    end
  end
  object edPage: TEdit
    Left = 468
    Top = 7
    Width = 36
    Height = 21
    Hint = 'Page to show (type a number and press Enter)'
    ShowHint = True
    MaxLength = 6
    Text = '1'
    OnExit = edPageExit
    TabOrder = 1
  end
  object lbPageCount: TLabel
    Left = 508
    Top = 11
    Width = 42
    Height = 13
    Caption = 'of 1'
  end
  object pbPages: THtmlPreviewPane
    Left = 0
    Top = 36
    Width = 640
    Height = 564
    Anchors = [akLeft, akTop, akRight, akBottom]
    TabOrder = 2
  end
end
