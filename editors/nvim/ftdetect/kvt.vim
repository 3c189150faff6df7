" KVT scores
autocmd BufRead,BufNewFile *.kvt setfiletype kvt
