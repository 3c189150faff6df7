" KVT scores: commands are single characters; letters in either case.
if exists('b:current_syntax')
  finish
endif

syntax case ignore

syntax match kvtCommand    /[hijkmnopqstuvwxyz@:%=?$`\\<>~_]/
syntax match kvtNumber     /&\x\+\|\.[01]\+\|[+-]\=\d\+\(\.\d\+\)\=/
syntax match kvtNote       /[a-g][-+!]*/ nextgroup=kvtLength,kvtSlur skipwhite
syntax match kvtRest       /r/ nextgroup=kvtLength skipwhite
syntax match kvtLengthCmd  /l/ nextgroup=kvtLength skipwhite
syntax match kvtLength     /\(\d\+\|\*\d\+\)\=\.*\(\*\*[0-9.]*\)*\(\^\(\d\+\|\*\d\+\)\=\.*\)*/ contained nextgroup=kvtSlur
" After a note and its length «&» is a slur, elsewhere it may start a hex number.
syntax match kvtSlur       /&/ contained
syntax match kvtLoop       /\[\d*\|[]|]/
syntax match kvtTrack      /#[0-9, -]*/
syntax region kvtChord     matchgroup=kvtChordMark start=/'/ end=/'/ contains=kvtChordNote,kvtCommand,kvtNumber nextgroup=kvtLength
syntax match kvtChordNote  /[a-g][-+!]*/ contained
syntax region kvtString    start=/"/ end=/"/
syntax region kvtHexBlock  matchgroup=kvtHexBrace start=/{/ end=/}/ contains=kvtHexPair,kvtHexBad
syntax match kvtHexPair    /\x\x\|\*\*/ contained
syntax match kvtHexBad     /[^ \t\n}0-9a-f*]/ contained
syntax match kvtText       /;.*$/
syntax match kvtComment    /\/.*$/

highlight default link kvtCommand   Keyword
highlight default link kvtNumber    Number
highlight default link kvtNote      Identifier
highlight default link kvtChordNote Identifier
highlight default link kvtRest      Special
highlight default link kvtLengthCmd Keyword
highlight default link kvtLength    Constant
highlight default link kvtSlur      Operator
highlight default link kvtLoop      Repeat
highlight default link kvtTrack     Label
highlight default link kvtChordMark Delimiter
highlight default link kvtString    String
highlight default link kvtText      String
highlight default link kvtHexBlock  Special
highlight default link kvtHexBrace  Delimiter
highlight default link kvtHexPair   Number
highlight default link kvtHexBad    Error
highlight default link kvtComment   Comment

let b:current_syntax = 'kvt'
