-- The editor as a musician would set it up: the editors/nvim package on the
-- runtime path and its client setup, nothing else.
vim.opt.runtimepath:prepend(os.getenv('KVT_EDITORS'))
vim.cmd('filetype plugin on')
vim.cmd('syntax on')
require('kvt').setup({ cmd = { os.getenv('KVT_SERVER') } })
