" VESTIL source files.
autocmd BufNewFile,BufRead *.vsl setfiletype vestil
