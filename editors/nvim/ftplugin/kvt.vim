" KVT scores: «/» starts a remark that runs to the end of the line.
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1
setlocal commentstring=/\ %s
let b:undo_ftplugin = 'setlocal commentstring<'
