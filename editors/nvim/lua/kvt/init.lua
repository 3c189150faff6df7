-- Neovim's built-in LSP client for KVT scores (Neovim 0.7 and later):
--   require('kvt').setup({ cmd = { '/path/to/kvt-ls' }, compile_switches = '0' })
-- One kvt-ls runs per folder of scores; every score opened there joins it.
local M = {}

local clients = {}

local function folder_of(bufnr)
  local name = vim.api.nvim_buf_get_name(bufnr)
  if name == '' then
    return vim.fn.getcwd()
  end
  return vim.fn.fnamemodify(name, ':p:h')
end

function M.attach(bufnr, opts)
  local root = folder_of(bufnr)
  local id = clients[root]
  if id == nil or vim.lsp.get_client_by_id(id) == nil then
    id = vim.lsp.start_client({
      name = 'kvt-ls',
      cmd = opts.cmd or { 'kvt-ls' },
      root_dir = root,
      init_options = { compileSwitches = opts.compile_switches or '0' },
    })
    if id == nil then
      return nil
    end
    clients[root] = id
  end
  vim.lsp.buf_attach_client(bufnr, id)
  return id
end

function M.setup(opts)
  opts = opts or {}
  local group = vim.api.nvim_create_augroup('kvt_ls', { clear = true })
  vim.api.nvim_create_autocmd('FileType', {
    group = group,
    pattern = 'kvt',
    callback = function(args)
      M.attach(args.buf, opts)
    end,
  })
end

return M
