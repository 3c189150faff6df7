-- Run in the editor once the score is loaded: the compiler's message must
-- reach vim.diagnostic at the failing command, and hover must show the
-- command's description.  Exits Neovim with status 0 only when all holds.
local expected = {
  message = os.getenv('KVT_MESSAGE'),
  lnum = tonumber(os.getenv('KVT_LINE')),
  col = tonumber(os.getenv('KVT_COL')),
  end_col = tonumber(os.getenv('KVT_END_COL')),
  hover = { '**Volume**', 'v[!][n | ^v][,length[,n]]', '0..127' },
  hint = 'Volume: 0..127',
}

-- The syntax group at a line and column (1-based).
local function group(line, col)
  return vim.fn.synIDattr(vim.fn.synID(line, col, 1), 'name')
end

local function check()
  assert(vim.bo.filetype == 'kvt', 'filetype is "' .. vim.bo.filetype .. '"')
  -- «  g a v200 b»: a note, a command and its number.
  local groups = { group(3, 3), group(3, 7), group(3, 8) }
  assert(table.concat(groups, ' ') == 'kvtNote kvtCommand kvtNumber', 'syntax: ' .. table.concat(groups, ' '))
  local arrived = vim.wait(15000, function()
    return #vim.diagnostic.get(0) > 0
  end, 50)
  assert(arrived, 'no diagnostics arrived')

  local errors = vim.diagnostic.get(0, { severity = vim.diagnostic.severity.ERROR })
  assert(#errors == 1, 'errors: ' .. vim.inspect(errors))
  local e = errors[1]
  assert(e.message == expected.message, 'message: ' .. e.message)
  assert(e.lnum == expected.lnum and e.col == expected.col, ('at %d:%d'):format(e.lnum, e.col))
  assert(e.end_lnum == expected.lnum and e.end_col == expected.end_col, ('ends at %d:%d'):format(e.end_lnum, e.end_col))

  local hints = vim.diagnostic.get(0, { severity = vim.diagnostic.severity.HINT })
  assert(#hints == 1 and hints[1].message:find(expected.hint, 1, true), 'hints: ' .. vim.inspect(hints))

  local params = {
    textDocument = vim.lsp.util.make_text_document_params(),
    position = { line = expected.lnum, character = expected.col },
  }
  local answers = vim.lsp.buf_request_sync(0, 'textDocument/hover', params, 5000)
  assert(answers ~= nil, 'no hover answer')
  local text
  for _, a in pairs(answers) do
    if a.result and a.result.contents then
      text = a.result.contents.value
    end
  end
  assert(text ~= nil, 'hover without contents: ' .. vim.inspect(answers))
  for _, part in ipairs(expected.hover) do
    assert(text:find(part, 1, true), 'hover lacks "' .. part .. '": ' .. text)
  end
end

local ok, err = pcall(check)
if ok then
  io.stdout:write('kvt-ls in Neovim: diagnostic and hover as expected\n')
  vim.cmd('qall!')
else
  io.stderr:write('FAIL: ' .. tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
